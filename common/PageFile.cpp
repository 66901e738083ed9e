// Chunked, NUL-cut storage of a page body with its size limit.
#include "common/PageFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/FileName.h"

namespace vantora {

void PageFile::Begin() {
  began_ = true;
  chunkLength_ = 0;
  received_ = 0;
  file_.reset(OpenFile(path_, "wb"));
  if (!file_) NoteError();
}

bool PageFile::Append(const char* data, std::size_t size) {
  if (!began_) Begin();  // a response without a header block (HTTP/0.9)
  if (size > sizeLimit_ - received_) {
    size = sizeLimit_ - received_;
    tooLarge_ = true;
  }
  received_ += size;
  while (size > 0) {
    const std::size_t take = std::min(size, kChunkSize - chunkLength_);
    std::memcpy(chunk_.data() + chunkLength_, data, take);
    chunkLength_ += take;
    data += take;
    size -= take;
    if (chunkLength_ == kChunkSize) FlushChunk();
  }
  return !tooLarge_;
}

void PageFile::Finish() {
  FlushChunk();
  if (file_ && std::fclose(file_.release()) != 0) NoteError();
}

bool PageFile::ReportStorageFailure(DownloadResult& report) const {
  if (!error_.empty()) {
    report.failure = DownloadFailure::kScratchFile;
    report.reason = error_;
  } else if (tooLarge_) {
    report.failure = DownloadFailure::kTooLarge;
    report.reason = "the page is larger than " + std::to_string(sizeLimit_) + " bytes";
  } else {
    return false;
  }
  return true;
}

void PageFile::NoteError() {
  if (error_.empty()) error_ = std::strerror(errno != 0 ? errno : EIO);
}

// A chunk is text: only the bytes before its first NUL are written.
void PageFile::FlushChunk() {
  if (chunkLength_ == 0) return;
  const void* nul = std::memchr(chunk_.data(), '\0', chunkLength_);
  const std::size_t length =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - chunk_.data()) : chunkLength_;
  if (file_ && length > 0) {
    if (std::fwrite(chunk_.data(), 1, length, file_.get()) != length || std::fflush(file_.get()) != 0) {
      NoteError();
      file_.reset();
    }
  }
  chunkLength_ = 0;
}

}  // namespace vantora
