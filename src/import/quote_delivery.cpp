#include "import/quote_delivery.h"

#include "config/tls_hosts.h"
#include "import/tls_learning.h"
#include "platform/clock.h"

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

// Sends `post` as its route asks, or, `asMovedToTls`, over TLS to the same host as a post
// that moved there, and judges the answer.
void Send(const platform::FormPost& post, bool asMovedToTls, ImportProgress& progress, Delivery& delivery) {
    platform::FormPost sent = post;
    sent.secure = post.secure || asMovedToTls;
    delivery.sent = SendGivingPasswords(sent, progress);
    if (Answered(delivery.sent)) {
        delivery.verdict = JudgeAnswer(delivery.Answer(), {post.host, post.objectName, sent.secure}, asMovedToTls);
    }
}

}  // namespace

Delivery DeliverQuote(const platform::FormPost& post, ImportProgress& progress) {
    KnownTlsHosts knownHosts = ReadTlsHosts(kTlsHostsFile);
    const UtcSeconds now = SecondsOf(platform::UtcTime());
    Delivery delivery;
    int moveStatus = 0;
    if (!post.secure && knownHosts.IsKnown(post.host, now)) {
        // Known to take TLS: as if it had just moved there, and never in clear, whatever
        // becomes of the post over TLS.
        delivery.route = PostRoute::kKnownTls;
        Send(post, true, progress, delivery);
    } else {
        delivery.route = post.secure ? PostRoute::kTls : PostRoute::kPlain;
        Send(post, false, progress, delivery);
        if (delivery.verdict == AnswerVerdict::kMoveToTls) {
            moveStatus = delivery.sent.statusCode;
            delivery.route = PostRoute::kMovedToTls;
            Send(post, true, progress, delivery);
        }
    }
    if (delivery.route != PostRoute::kPlain &&
        LearnFromTlsAnswer(knownHosts, post.host, delivery.sent, moveStatus, now)) {
        // Kept: what the servers teach is learned again from them, so a file that cannot be
        // written leaves the agent's import as it is, without a word.
        static_cast<void>(WriteTlsHosts(kTlsHostsFile, knownHosts, now));
    }
    return delivery;
}
