#include "http/MultipartBody.h"

#include <algorithm>
#include <cstring>

#include "platform/Paths.h"

std::string FilePartHeader(const std::string& boundary, const std::string& path,
                           const std::string& contentType) {
  size_t start = path.size();
  while (start > 0 && !platform::IsPathSeparator(path[start - 1])) --start;
  const std::string name = path.substr(start);
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
         "\"\r\nContent-Type: " + contentType + "\r\n\r\n";
}

TMultipartBody::TMultipartBody(const THTTPRequest& request,
                               std::function<void(int32_t, int32_t)> progress)
    : request_(request), progress_(std::move(progress)) {
  const size_t texts = request.Stream.size();
  // The last text entry is the closing boundary line; the files go before it.
  for (size_t i = 0; i + 1 < texts; ++i) steps_.push_back({Kind::Text, i});
  for (size_t i = 0; i < request.FileList.size(); ++i) {
    steps_.push_back({Kind::FileHeader, i});
    steps_.push_back({Kind::FileContent, i});
    steps_.push_back({Kind::FileEnd, i});
  }
  if (texts > 0) steps_.push_back({Kind::Text, texts - 1});
}

bool TMultipartBody::NextPiece() {
  piece_.clear();
  offset_ = 0;
  while (step_ < steps_.size()) {
    const Step& step = steps_[step_];
    switch (step.kind) {
      case Kind::Text:
        piece_ = request_.Stream[step.index];
        reportPiece_ = true;
        ++step_;
        return true;
      case Kind::FileHeader:
        piece_ = FilePartHeader(request_.Boundary, request_.FileList[step.index],
                                request_.FileContentTypes[step.index]);
        reportPiece_ = false;
        ++step_;
        return true;
      case Kind::FileContent: {
        if (!file_) {
          file_ = OpenUploadFile(request_.FileList[step.index]);
          if (!file_) return false;
        }
        piece_.resize(8192);
        size_t got = 0;
        const bool read = file_->Read(piece_.data(), piece_.size(), &got);
        if (!read || got == 0) {
          file_.reset();
          if (!read) return false;
          ++step_;
          continue;
        }
        piece_.resize(got);
        reportPiece_ = true;
        return true;
      }
      case Kind::FileEnd:
        piece_ = "\r\n";
        reportPiece_ = true;
        ++step_;
        return true;
    }
  }
  finished_ = true;
  return true;
}

bool TMultipartBody::Read(char* buffer, size_t size, size_t* copied) {
  *copied = 0;
  while (offset_ == piece_.size()) {
    if (finished_) return true;
    if (!NextPiece()) return false;
  }
  const size_t n = std::min(size, piece_.size() - offset_);
  if (sent_ + n > static_cast<uint32_t>(request_.StreamSize)) return false;
  std::memcpy(buffer, piece_.data() + offset_, n);
  offset_ += n;
  sent_ += n;
  *copied = n;
  if (offset_ == piece_.size() && reportPiece_)
    progress_(static_cast<int32_t>(sent_), request_.StreamSize);
  return true;
}

bool TMultipartBody::Complete() const {
  return offset_ == piece_.size() && (finished_ || step_ == steps_.size()) &&
         sent_ == static_cast<uint32_t>(request_.StreamSize);
}
