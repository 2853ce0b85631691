// A POSIX build without libcurl has no HTTP client: players that speak only
// HTTP cannot be followed.
#include "platform/Http.h"

namespace {

class TNoHttp : public IHttpClient {
public:
  std::unique_ptr<IHttpSession> Open(const THttpTarget &, std::string &error) override {
    error = "this build has no HTTP client (it was built without libcurl)";
    return nullptr;
  }
};

} // namespace

std::unique_ptr<IHttpClient> CreatePlatformHttp(ILoop &) { return std::make_unique<TNoHttp>(); }
