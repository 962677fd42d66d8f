#pragma once
// The controller through the vendor's D2XX library, loaded at run time when a user has it
// installed; nothing of it is needed to build or ship the program.

#include <memory>
#include <string>

#include "link/LinkBackend.h"

namespace zmx {

// The five entry points a transfer uses, with their documented C signatures:
// FT_STATUS is an unsigned long, FT_HANDLE a pointer, DWORD a 32-bit unsigned on Linux.
struct D2xxApi {
    using Status = unsigned long;
    using Handle = void*;
    using Dword = unsigned int;
    using OpenFn = Status (*)(int deviceNumber, Handle* handle);
    using SetTimeoutsFn = Status (*)(Handle handle, Dword readMs, Dword writeMs);
    using WriteFn = Status (*)(Handle handle, void* buffer, Dword bytesToWrite, Dword* bytesWritten);
    using ReadFn = Status (*)(Handle handle, void* buffer, Dword bytesToRead, Dword* bytesRead);
    using CloseFn = Status (*)(Handle handle);
    using PurgeFn = Status (*)(Handle handle, unsigned long mask);  // optional

    static constexpr Status kOk = 0;

    OpenFn open = nullptr;
    SetTimeoutsFn setTimeouts = nullptr;
    WriteFn write = nullptr;
    ReadFn read = nullptr;
    CloseFn close = nullptr;
    PurgeFn purge = nullptr;
};

// A loaded library and its entry points; unloads on destruction.
class D2xxLibrary {
public:
    ~D2xxLibrary();
    D2xxLibrary(const D2xxLibrary&) = delete;
    D2xxLibrary& operator=(const D2xxLibrary&) = delete;

    // Loads the library (an empty path: $ZMX_D2XX_LIBRARY, else "libftd2xx.so"). Null when the
    // library or one of the five entry points is missing; error says which and what to do.
    static std::unique_ptr<D2xxLibrary> load(const std::string& path, std::string* error);
    // The path load() uses for an empty argument.
    static std::string defaultPath();

    const D2xxApi& api() const { return api_; }
    const std::string& path() const { return path_; }

private:
    D2xxLibrary() = default;
    void* handle_ = nullptr;
    std::string path_;
    D2xxApi api_;
};

class D2xxLink : public LinkBackend {
public:
    explicit D2xxLink(std::unique_ptr<D2xxLibrary> library);
    ~D2xxLink() override;

    std::string name() const override { return "d2xx"; }
    bool open() override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::string read(std::size_t maxBytes) override;
    void purgeInput() override;
    void close() override;
    std::string lastError() const override { return lastError_; }

private:
    std::unique_ptr<D2xxLibrary> lib_;
    void* handle_ = nullptr;
    std::string lastError_;
};

}  // namespace zmx
