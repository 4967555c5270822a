#include "platform/http_post.h"

#include "platform/fake/state.h"

namespace platform {

struct FormRequest::Handles {};

FormRequest::FormRequest(const FormPost& post) {
    fake::Platform().posts.push_back(post);
    fake::Platform().events.push_back(fake::Event::Post(post.host, post.secure));
}

FormRequest::~FormRequest() = default;

PostResult FormRequest::Send(const std::function<void()>& beforeSend) {
    fake::State& state = fake::Platform();
    state.tickMilliseconds += state.sendMilliseconds;
    if (state.postFailsBeforeSend) return state.postResult;
    beforeSend();
    state.events.push_back(fake::Event::Send());
    if (state.postAnswers.empty()) return state.postResult;
    PostResult answer = state.postAnswers.front();
    state.postAnswers.pop_front();
    return answer;
}

bool FormRequest::AskForPassword(const Dialog& owner) {
    fake::State& state = fake::Platform();
    state.events.push_back(fake::Event::Password(owner.TemplateId()));
    state.tickMilliseconds += state.passwordDialogMilliseconds;
    if (state.passwordReplies.empty()) return false;
    const bool given = state.passwordReplies.front();
    state.passwordReplies.pop_front();
    return given;
}

}  // namespace platform
