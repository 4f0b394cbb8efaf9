#include "net/http_download.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "net/curl_exchange.h"
#include "net/url.h"

namespace vantrel {
namespace {

struct Sink {
    curl::Response* response = nullptr;
    FILE* file = nullptr;
    const DownloadProgress* progress = nullptr;
    CURL* easy = nullptr;
    std::uint64_t written = 0;
    bool fileFailed = false;
    bool httpError = false;
};

size_t OnBodyToFile(char* data, size_t size, size_t count, void* user) {
    auto& sink = *static_cast<Sink*>(user);
    const size_t n = size * count;
    // An error page is no video; ending the transfer here saves reading it.
    if (sink.response->status >= 400) {
        sink.httpError = true;
        return 0;
    }
    if (std::fwrite(data, 1, n, sink.file) != n) {
        sink.fileFailed = true;
        return 0;
    }
    sink.written += n;
    if (sink.progress && *sink.progress) {
        curl_off_t total = 0;
        curl_easy_getinfo(sink.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
        (*sink.progress)(sink.written, total > 0 ? static_cast<std::uint64_t>(total) : 0);
    }
    return n;
}

// A fresh file beside target, only ours to write (O_EXCL through mkstemp).
FILE* OpenTemporaryBeside(const std::filesystem::path& target, std::string& name) {
    name = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(name.data());
    if (fd < 0) return nullptr;
    // mkstemp makes the file private; a saved video gets the usual rights.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(name.c_str());
    }
    return file;
}

DownloadStatus Fetch(std::string_view url, Sink& sink) {
    curl::Easy easy = curl::NewEasy(*sink.response);
    if (!easy) return DownloadStatus::kRequestFailed;
    CURL* e = easy.get();
    sink.easy = e;
    const std::string address = RequestUrl(url);
    curl::HeaderList headers = curl::HeaderLines("Accept: */*");
    if (curl_easy_setopt(e, CURLOPT_URL, address.c_str()) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_USERAGENT, curl::DEFAULT_AGENT) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBodyToFile) != CURLE_OK ||
        curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink) != CURLE_OK ||
        curl::SetTimeouts(e, *sink.response, curl::BlockingTimeoutSeconds()) != CURLE_OK ||
        curl::VerifyTls(e) != CURLE_OK || curl::SetRedirects(e, *sink.response, true) != CURLE_OK)
        return DownloadStatus::kRequestFailed;
    const CURLcode code = curl::PerformPumped(e);
    if (sink.fileFailed) return DownloadStatus::kFileFailed;
    if (code != CURLE_OK || sink.httpError || sink.response->status >= 400)
        return DownloadStatus::kRequestFailed;
    return sink.written == 0 ? DownloadStatus::kEmpty : DownloadStatus::kSaved;
}

}  // namespace

DownloadStatus HttpDownloadToFile(std::string_view url, const std::filesystem::path& file,
                                  const DownloadProgress& progress) {
    if (!curl::Available()) return DownloadStatus::kRequestFailed;
    std::string temporary;
    FILE* out = OpenTemporaryBeside(file, temporary);
    if (!out) return DownloadStatus::kFileFailed;
    curl::Response response;
    Sink sink{&response, out, &progress};
    DownloadStatus status = Fetch(url, sink);
    if (std::fflush(out) != 0 || fsync(fileno(out)) != 0) {
        if (status == DownloadStatus::kSaved) status = DownloadStatus::kFileFailed;
    }
    if (std::fclose(out) != 0 && status == DownloadStatus::kSaved)
        status = DownloadStatus::kFileFailed;
    std::error_code error;
    if (status == DownloadStatus::kSaved) {
        std::filesystem::rename(temporary, file, error);
        if (!error) return status;
        status = DownloadStatus::kFileFailed;
    }
    std::filesystem::remove(temporary, error);
    return status;
}

}  // namespace vantrel
