#include "DemoMusic.h"

#include <fstream>
#include <sstream>

namespace tests {

namespace {

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

int32_t Number(const std::string& field) { return static_cast<int32_t>(std::stol(field)); }

}  // namespace

void WriteWav(const std::wstring& path, uint32_t bytes, uint32_t seed) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    const uint32_t data = bytes > 44 ? bytes - 44 : 0;
    std::string out;
    out += "RIFF";
    Put32(out, 36 + data);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, 22050);
    Put32(out, 44100);
    Put16(out, 2);
    Put16(out, 16);
    out += "data";
    Put32(out, data);
    uint32_t state = seed * 2654435761u + 1;
    for (uint32_t i = 0; i < data; ++i) {
        state = state * 1103515245u + 12345u;
        out += static_cast<char>(state >> 24);
    }
    {
        std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
    }
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= 60ull * 10000000;
        FILETIME past{time.LowPart, time.HighPart};
        SetFileTime(file, nullptr, nullptr, &past);
        CloseHandle(file);
    }
}

std::vector<LoggedEvent> ReadEventLog(const std::wstring& path) {
    std::vector<LoggedEvent> events;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (line == "shutdown") {
            LoggedEvent marker;
            marker.shutdown = true;
            events.push_back(marker);
            continue;
        }
        if (line.rfind("event\t", 0) != 0) continue;
        LoggedEvent event;
        std::istringstream fields(line.substr(6));
        std::string field;
        bool complete = false;
        while (std::getline(fields, field, '\t')) {
            size_t equals = field.find('=');
            if (equals == std::string::npos) continue;
            std::string key = field.substr(0, equals), value = field.substr(equals + 1);
            if (key == "code") event.code = Number(value);
            else if (key == "p1") event.p1 = Number(value);
            else if (key == "p2") event.p2 = Number(value);
            else if (key == "p3") {
                event.p3 = Number(value);
                complete = true;
            } else if (key == "text") {
                event.hasText = true;
                event.text = value;
            }
        }
        if (complete) events.push_back(event);  // a line still being written is left for the next read
    }
    return events;
}

std::vector<int32_t> Codes(const std::vector<LoggedEvent>& events) {
    std::vector<int32_t> codes;
    for (const LoggedEvent& event : events)
        if (!event.shutdown) codes.push_back(event.code);
    return codes;
}

bool Has(const std::vector<LoggedEvent>& events, int32_t code) {
    for (const LoggedEvent& event : events)
        if (!event.shutdown && event.code == code) return true;
    return false;
}

bool Has(const std::vector<LoggedEvent>& events, int32_t code, int32_t p1) {
    for (const LoggedEvent& event : events)
        if (!event.shutdown && event.code == code && event.p1 == p1) return true;
    return false;
}

bool AllStored(const std::vector<LoggedEvent>& events, int32_t tracks) {
    for (const LoggedEvent& event : events)
        if (!event.shutdown && event.code == 15 && event.p1 == 0 && event.p2 == tracks) return true;
    return false;
}

}  // namespace tests
