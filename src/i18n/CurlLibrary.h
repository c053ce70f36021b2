#pragma once

// The types only: libcurl itself is loaded at run time, so that the programs start without it
// and the libraries it pulls in.
#include <curl/curl.h>

#include <QString>

// The libcurl functions the version check calls.
struct CurlApi {
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_perform) easy_perform;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
};

// libcurl, loaded and initialised the first time it is asked for and kept until the program
// ends; from any thread. Null when it cannot be loaded, with the reason in `error`.
// The environment variable KV40812_LIBCURL names another file to load in place of the
// platform's own library.
const CurlApi *curlApi(QString *error);
