#pragma once

// The picture store's test fixture: the store emptied for each case and a loopback HTTPS server.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PictureServer.h"
#include "page/PagePictures.h"

namespace picture_test {

using quorvel::page::PagePictures;
using quorvel::page::PictureState;

constexpr QRgb kRed = 0xFFD02020;

// The process's picture store, emptied for each case, and a loopback HTTPS server with a few
// pictures.
class PictureStoreTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        certificate_ = new Certificate(MakeCertificate());
        store_ = PagePictures::Ensure();
        if (store_ && certificate_->error.isEmpty())
            store_->AddTrustedCertificates({certificate_->certificate});
    }
    void SetUp() override {
        // A missing openssl fails the run: the pictures would go untested.
        ASSERT_TRUE(certificate_->error.isEmpty()) << certificate_->error.toStdString();
        ASSERT_NE(store_, nullptr);
        store_->Clear();
        store_->SetLimits(PagePictures::kMaxPictureBytes, PagePictures::kTimeoutMs);
        store_->SetFetchDelay(0);
        server_ = std::make_unique<PictureServer>(certificate_);
        server_->Route("/wide.png", {200, Png(1200, 300, QColor(kRed))});
        server_->Route("/small.png", {200, Png(40, 20, QColor(kRed))});
        server_->Route("/text.png", {200, "not a picture at all"});
    }

    // As a layout asks: each picture met, then the page's list.
    void Ask(const std::vector<QString>& urls) const {
        std::vector<std::string> page;
        for (const QString& url : urls) {
            store_->Want(url);
            page.push_back(url.toStdString());
        }
        store_->PageNeeds(page);
    }
    PictureState StateOf(const QString& url) const { return store_->Find(url).state; }
    bool Settled(const QString& url) const {
        const PictureState state = StateOf(url);
        return state != PictureState::Loading && state != PictureState::Unknown;
    }

    static inline Certificate* certificate_ = nullptr;
    static inline PagePictures* store_ = nullptr;
    std::unique_ptr<PictureServer> server_;
};

}  // namespace picture_test
