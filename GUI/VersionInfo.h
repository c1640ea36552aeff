// The program's own version, read once from its version resource.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TVersionInfo {
public:
    // Reads the file version of `path`, or of the running program when empty.
    explicit TVersionInfo(const std::wstring& path = std::wstring());

    int32_t GetMajor() const { return Major; }
    int32_t GetMinor() const { return Minor; }
    int32_t GetRevision() const { return Revision; }
    bool VerInfoAvailable() const { return verInfoValid; }
    // "major.minor.revision"
    std::wstring VersionText() const;

private:
    bool verInfoValid = false;
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Revision = 0;
};

// Created when the program starts, before any window; lives for the whole run.
extern std::unique_ptr<TVersionInfo> ProgramVersion;
