#pragma once

#include <cstdint>

// What a worker is doing now, shown by the thread view.
enum TWorkerActivity : uint8_t {
    waConnecting = 0, // text: the host (\\HOST, or ftp://HOST for the FTP part)
    waSearching = 1,  // text: the folder being walked or listed
    waScanning = 2,   // text: the file whose content is being scanned
};
