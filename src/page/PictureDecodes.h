#pragma once

#include <QByteArray>
#include <QImage>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Pictures decoded off the window's thread, a few at a time. A decode that runs past its time is
// given up: its thread is left to end on its own, its picture is dropped, and the others go on.
// So neither a slow picture nor the end of the program ever waits for a decode.
namespace quorvel::page {

class PictureDecodes {
  public:
    // Called on a decode's thread with the decoded picture (null when it was none).
    using Delivered = std::function<void(std::uint64_t ticket, const QImage& image)>;

    static constexpr int kThreads = 2;
    // Threads given up on and still running; past this no decode starts.
    static constexpr int kMaxAbandoned = 4;

    explicit PictureDecodes(Delivered delivered);
    // Stops at once: see Stop.
    ~PictureDecodes();
    PictureDecodes(const PictureDecodes&) = delete;
    PictureDecodes& operator=(const PictureDecodes&) = delete;

    // False when no decode can start (too many given up on, or stopped).
    bool Add(std::uint64_t ticket, QByteArray bytes);
    // The decodes running longer than `limit`, given up now.
    std::vector<std::uint64_t> GiveUpOverdue(std::chrono::milliseconds limit);
    bool Busy() const;
    // Drops what waits, delivers nothing more and waits up to `bound` for running decodes; true
    // when no decode thread is left.
    bool Stop(std::chrono::milliseconds bound);

    // Test seam: run by each decode before it decodes (a decode that takes long).
    static void SetBeforeDecode(std::function<void()> hook);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace quorvel::page
