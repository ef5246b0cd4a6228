#pragma once

#include <curl/curl.h>
#include <memory>

// Owns a libcurl easy handle. Creating one makes sure libcurl's global set-up has
// run exactly once in the process (it is not safe to run from several threads at
// once, and curl_easy_init would otherwise run it implicitly on any thread).
class CurlHandle {
public:
    CurlHandle();
    CURL* get() const { return m_handle.get(); }
    explicit operator bool() const { return m_handle != nullptr; }
    // Frees the handle and with it its cached connections (FTP sends QUIT).
    void reset() { m_handle.reset(); }

private:
    struct Deleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    std::unique_ptr<CURL, Deleter> m_handle;
};
