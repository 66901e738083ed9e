// The stored body of one download: created (or truncated) when the page's
// response begins, written in 1000-byte chunks by body offset, each chunk cut
// at its first NUL byte, up to the page size limit. Shared by the platforms'
// downloads, so that the stored bytes never depend on the transfer library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "common/Download.h"

namespace vantora {

class PageFile {
 public:
  PageFile(const std::string& path, std::size_t sizeLimit) : path_(path), sizeLimit_(sizeLimit) {}

  // Creates or truncates the file; a file that cannot be created makes the
  // writes fail, the body is still read to its end, and Error() tells.
  void Begin();
  bool Began() const { return began_; }
  // Body bytes, in whatever pieces they come. False once the size limit is
  // passed (the bytes past it are dropped): the caller ends the transfer.
  bool Append(const char* data, std::size_t size);
  // Stores the last, partial chunk and closes the file; called at the end
  // of the transfer, also when the connection broke in the middle.
  void Finish();

  bool TooLarge() const { return tooLarge_; }
  std::size_t Received() const { return received_; }
  // Why the body could not be stored; empty when it could.
  const std::string& Error() const { return error_; }
  // When the body could not be stored or passed the size limit, which
  // decides the download's failure before the transfer's own end: puts that
  // failure and its reason into `report` and returns true.
  bool ReportStorageFailure(DownloadResult& report) const;

 private:
  static constexpr std::size_t kChunkSize = 1000;
  struct Closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
  };

  void FlushChunk();
  void NoteError();

  const std::string& path_;
  const std::size_t sizeLimit_;
  bool began_ = false;
  bool tooLarge_ = false;
  std::size_t received_ = 0;
  std::unique_ptr<std::FILE, Closer> file_;
  std::string error_;
  std::array<char, kChunkSize> chunk_{};
  std::size_t chunkLength_ = 0;
};

}  // namespace vantora
