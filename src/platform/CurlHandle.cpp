#include "platform/CurlHandle.h"

#include <mutex>

CurlHandle::CurlHandle()
{
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_handle.reset(curl_easy_init());
}
