#include "platform/fake/fake_platform.h"
#include "platform/http_post.h"
#include "platform/shell.h"

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

long long ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                    int showCommand) {
    fake::Platform().shellRequests.push_back({file, parameters, directory, showCommand});
    fake::Platform().events.push_back("shell " + file);
    return fake::Platform().shellResult;
}

}  // namespace platform
