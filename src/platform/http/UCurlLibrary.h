#pragma once

#include <curl/curl.h>

// The libcurl functions the HTTP client calls.
#define VQ_CURL_FUNCTIONS(F)                                                                                   \
    F(curl_global_init) F(curl_easy_init) F(curl_easy_cleanup) F(curl_easy_setopt) F(curl_easy_getinfo)       \
    F(curl_easy_strerror) F(curl_slist_append) F(curl_slist_free_all) F(curl_mime_init) F(curl_mime_free)     \
    F(curl_mime_addpart) F(curl_mime_name) F(curl_mime_data) F(curl_mime_filename) F(curl_mime_type)          \
    F(curl_mime_encoder) F(curl_multi_init) F(curl_multi_cleanup) F(curl_multi_add_handle)                    \
    F(curl_multi_remove_handle) F(curl_multi_perform) F(curl_multi_poll) F(curl_multi_wakeup)                 \
    F(curl_multi_info_read) F(curl_multi_strerror)

// libcurl, opened the first time a run makes an HTTP request: a run without
// one never maps the library nor the TLS and protocol libraries it brings.
class TCurlLibrary {
public:
#define VQ_CURL_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
    VQ_CURL_FUNCTIONS(VQ_CURL_FUNCTION_POINTER)
#undef VQ_CURL_FUNCTION_POINTER

    // Opens the library once per process; raises EHttpError when it cannot
    // be loaded.
    static const TCurlLibrary& Get();

    static constexpr const char* SoName = "libcurl.so.4";
};
