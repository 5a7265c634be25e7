#include "server/streamed_answer.h"

#include <microhttpd.h>

#include <cstdio>
#include <cstring>
#include <exception>

namespace tessivar::directory {

namespace {

// The made but untaken part of an answer kept per client.
constexpr std::size_t bufferBytes = 256 * 1024;

}  // namespace

StreamedAnswer::StreamedAnswer(MHD_Connection *connection, ConnectionWatch::Connection *watched,
                               Produce produce)
    : connection_(connection),
      watched_(watched),
      producer_([this, produce = std::move(produce)] { run(produce); })
{
}

StreamedAnswer::~StreamedAnswer()
{
  cancel();
  producer_.join();
}

void StreamedAnswer::cancel()
{
  {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  room_.notify_all();
}

bool StreamedAnswer::takeWholeIfShort(std::size_t bytes, std::string &whole)
{
  std::unique_lock lock(mutex_);
  made_.wait(lock, [&] { return done_ || buffer_.size() - offset_ > bytes; });
  if (!done_ || failed_ || buffer_.size() - offset_ > bytes) return false;
  whole = buffer_.substr(offset_);
  return true;
}

bool StreamedAnswer::finished()
{
  const std::lock_guard lock(mutex_);
  return done_ && !suspended_;
}

void StreamedAnswer::run(const Produce &produce)
{
  bool failed = false;
  try {
    produce([this](std::string_view chunk) {
      std::unique_lock lock(mutex_);
      room_.wait(lock, [this] { return cancelled_ || buffer_.size() - offset_ < bufferBytes; });
      if (cancelled_) return false;
      buffer_.erase(0, offset_);
      offset_ = 0;
      buffer_.append(chunk);
      made_.notify_all();
      if (suspended_) {
        suspended_ = false;
        MHD_resume_connection(connection_);
      }
      return true;
    });
  } catch (const std::exception &error) {
    // The head is out: the answer can only end unfinished.
    std::fprintf(stderr, "tessivar-directory: request failed: %s\n", error.what());
    failed = true;
  }
  const std::lock_guard lock(mutex_);
  done_ = true;
  failed_ = failed || cancelled_;
  made_.notify_all();
  if (suspended_) {
    suspended_ = false;
    MHD_resume_connection(connection_);
  }
}

ssize_t StreamedAnswer::read(char *out, std::size_t max)
{
  std::unique_lock lock(mutex_);
  const std::size_t ready = buffer_.size() - offset_;
  if (ready > 0) {
    const std::size_t count = std::min(max, ready);
    std::memcpy(out, buffer_.data() + offset_, count);
    offset_ += count;
    const std::uint64_t taken = taken_.fetch_add(count, std::memory_order_relaxed) + count;
    if (watched_) ConnectionWatch::answerProgress(watched_, taken);
    lock.unlock();
    room_.notify_one();
    return static_cast<ssize_t>(count);
  }
  if (done_) return failed_ ? MHD_CONTENT_READER_END_WITH_ERROR : MHD_CONTENT_READER_END_OF_STREAM;
  suspended_ = true;
  MHD_suspend_connection(connection_);
  return 0;
}

}  // namespace tessivar::directory
