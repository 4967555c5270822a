#include "platform/http_post.h"

#include "platform/fake/state.h"

namespace platform {

PostResult PostForm(const FormPost& post, const std::function<void()>& beforeSend) {
    fake::Platform().posts.push_back(post);
    fake::Platform().events.push_back("post " + post.host);
    if (!fake::Platform().postFailsBeforeSend) {
        beforeSend();
        fake::Platform().events.push_back("send");
    }
    return fake::Platform().postResult;
}

}  // namespace platform
