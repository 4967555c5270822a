#include "import/quote_delivery.h"

namespace {

bool Answered(const platform::PostResult& sent) {
    return sent.outcome == platform::PostResult::Outcome::kAnswered;
}

platform::PostResult SendGivingPasswords(const platform::FormPost& post, ImportProgress& progress) {
    const auto beforeSend = [&] { progress.ShowProgress("Sending Data to " + post.host); };
    platform::FormRequest request(post);
    platform::PostResult sent = request.Send(beforeSend);
    for (int prompt = 0; prompt < kPasswordPrompts && Answered(sent) && AsksForPassword(sent.statusCode) &&
                         progress.AskForPassword(request);
         ++prompt) {
        sent = request.Send(beforeSend);
    }
    return sent;
}

}  // namespace

Delivery DeliverQuote(const platform::FormPost& post, ImportProgress& progress) {
    Delivery delivery{SendGivingPasswords(post, progress)};
    delivery.route = post.secure ? PostRoute::kTls : PostRoute::kPlain;
    if (!Answered(delivery.sent)) return delivery;
    delivery.verdict = JudgeAnswer(delivery.Answer(), {post.host, post.objectName, post.secure}, false);
    if (delivery.verdict != AnswerVerdict::kMoveToTls) return delivery;

    platform::FormPost overTls = post;
    overTls.secure = true;
    delivery.route = PostRoute::kMovedToTls;
    delivery.sent = SendGivingPasswords(overTls, progress);
    if (Answered(delivery.sent)) {
        delivery.verdict = JudgeAnswer(delivery.Answer(), {post.host, post.objectName, true}, true);
    }
    return delivery;
}
