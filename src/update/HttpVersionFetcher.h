#pragma once

#include "net/HttpClient.h"
#include "update/VersionCheck.h"

namespace quorvel::update {

// Lets the version check use a THttpClient: its success notification is handed on with the body.
class HttpVersionFetcher final : public VersionFetcher {
  public:
    explicit HttpVersionFetcher(net::THttpClient& client) : client_(client) {}
    ~HttpVersionFetcher() override { client_.OnSuccess = nullptr; }

    void Cancel() override { client_.Cancel(); }
    void Get(const std::string& url) override { client_.Get(url); }
    void SetOnSuccess(SuccessHandler handler) override {
        if (!handler) {
            client_.OnSuccess = nullptr;
            return;
        }
        client_.OnSuccess = [this, handler = std::move(handler)](int kind) {
            handler(kind, client_.Body());
        };
    }

  private:
    net::THttpClient& client_;
};

}  // namespace quorvel::update
