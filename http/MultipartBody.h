#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "http/HTTPTransfer.h"
#include "http/TransferTargets.h"

// The header text of the file part for the file at `path`: named "file", with
// the file's name without its folder.
std::string FilePartHeader(const std::string& boundary, const std::string& path,
                           const std::string& contentType);

// The body of a multipart request, handed out piece by piece as the network
// takes it: the data parts, each file part (header, content in chunks of at
// most 8192 bytes, CR LF), then the closing boundary line. Files are read
// from disk as they go out, never held whole.
class TMultipartBody {
 public:
  // `progress` gets (bytes handed out, announced size) after every data
  // part, file chunk and file end; not after a file part's header.
  TMultipartBody(const THTTPRequest& request, std::function<void(int32_t, int32_t)> progress);

  // Copies up to `size` bytes; 0 at the end. False when a file cannot be
  // read or the body would outgrow its announced size.
  bool Read(char* buffer, size_t size, size_t* copied);
  // Every piece was handed out, exactly as many bytes as announced.
  bool Complete() const;

 private:
  enum class Kind { Text, FileHeader, FileContent, FileEnd };
  struct Step {
    Kind kind;
    size_t index;  // into the request's Stream or FileList
  };
  bool NextPiece();

  const THTTPRequest& request_;
  std::function<void(int32_t, int32_t)> progress_;
  std::vector<Step> steps_;
  size_t step_ = 0;
  std::string piece_;
  size_t offset_ = 0;
  bool reportPiece_ = false;
  std::unique_ptr<TUploadFile> file_;
  uint64_t sent_ = 0;
  bool finished_ = false;
};
