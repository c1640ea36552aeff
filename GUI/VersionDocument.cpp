#include "GUI/VersionDocument.h"

#include "ui/ComApartment.h"

#include <ole2.h>
#include <msxml2.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

namespace {

// Declared here so that no import library has to supply them.
const GUID kClsidDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const GUID kClsidDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const GUID kIidXmlDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
const GUID kIidXmlDomElement = {0x2933bf86, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// ---- owners of COM and WinHTTP resources --------------------------------------------------

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T** Put() {
        Reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(BSTR value) : value_(value) {}
    ~ScopedBstr() { SysFreeString(value_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR Get() const { return value_; }
    BSTR* Put() {
        SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }
    std::wstring Text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }
    const VARIANT& Get() const { return value_; }

private:
    VARIANT value_;
};

// ---- the fetch on the worker thread ---------------------------------------------------------

// Shared by the document and its worker, so that either may go first.
struct FetchState {
    std::atomic<bool> finished{false};
    // Written by the worker before `finished` is set, read by the document after.
    bool succeeded = false;
    std::string body;
};

[[nodiscard]] bool HttpGet(const std::wstring& address, const TVersionFetchLimits& limits, std::string& body) {
    const auto started = std::chrono::steady_clock::now();
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
        static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (host.empty()) return false;
    if (path.empty()) path = L"/";

    // No agent name: the request carries no header of the program's own. A proxy that cannot be
    // reached fails the check like any other network failure: behind a proxy, going direct
    // usually cannot work either.
    const ScopedInternet session = OpenSessionFor(address, limits.proxyDiscovery, limits.receiveMs);
    if (!session) return false;
    if (!WinHttpSetTimeouts(session.Get(), static_cast<int>(limits.resolveMs), static_cast<int>(limits.connectMs),
                            static_cast<int>(limits.sendMs), static_cast<int>(limits.receiveMs)))
        return false;
    const ScopedInternet connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
    if (!connection) return false;
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const ScopedInternet request(WinHttpOpenRequest(connection.Get(), L"GET", path.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    if (!request) return false;
    // Waiting for the response head has its own time-out, unbounded by default on some systems.
    DWORD headTimeout = limits.receiveMs;
    if (!WinHttpSetOption(request.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headTimeout, sizeof(headTimeout)))
        return false;
    if (!WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr))
        return false;

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    if (!WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;

    std::string received;
    for (;;) {
        if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(limits.totalMs)) return false;
        char buffer[4096];
        DWORD read = 0;
        if (!WinHttpReadData(request.Get(), buffer, sizeof(buffer), &read)) return false;
        if (read == 0) break;
        if (received.size() + read > limits.maxBodyBytes) return false;
        received.append(buffer, read);
    }
    body = std::move(received);
    return true;
}

void FetchThread(std::shared_ptr<FetchState> state, std::wstring address, TVersionFetchLimits limits) {
    // Nothing may escape the thread's entry.
    try {
        std::string body;
        if (HttpGet(address, limits, body)) {
            state->body = std::move(body);
            state->succeeded = true;
        }
    } catch (...) {
        state->body.clear();
        state->succeeded = false;
    }
    state->finished.store(true, std::memory_order_release);
}

// ---- the body as text -----------------------------------------------------------------------

[[nodiscard]] bool Widen(UINT codePage, DWORD flags, const char* data, size_t size, std::wstring& text) {
    text.clear();
    if (size == 0) return true;
    const int length = MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return false;
    text.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), text.data(), length) == length;
}

[[nodiscard]] bool Utf16(const std::string& body, size_t offset, bool bigEndian, std::wstring& text) {
    if ((body.size() - offset) % 2 != 0) return false;
    text.clear();
    for (size_t i = offset; i < body.size(); i += 2) {
        const auto first = static_cast<unsigned char>(body[i]);
        const auto second = static_cast<unsigned char>(body[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return true;
}

// The body as the text the DOM parses: a byte-order mark decides UTF-16 or UTF-8; without one,
// UTF-8, or Windows-1252 for a body that is not UTF-8 (so a Latin-1 document still reads).
[[nodiscard]] bool DecodeBody(const std::string& body, std::wstring& text) {
    const auto starts = [&body](const char* mark, size_t length) { return body.compare(0, length, mark, length) == 0; };
    if (starts("\xEF\xBB\xBF", 3)) return Widen(CP_UTF8, MB_ERR_INVALID_CHARS, body.data() + 3, body.size() - 3, text);
    if (starts("\xFF\xFE", 2)) return Utf16(body, 2, false, text);
    if (starts("\xFE\xFF", 2)) return Utf16(body, 2, true, text);
    if (Widen(CP_UTF8, MB_ERR_INVALID_CHARS, body.data(), body.size(), text)) return true;
    return Widen(1252, 0, body.data(), body.size(), text);
}

// ---- the document ---------------------------------------------------------------------------

class MsxmlElement final : public TVersionElement {
public:
    explicit MsxmlElement(ComPtr<IXMLDOMElement> element) : element_(std::move(element)) {}

    std::wstring LocalName() const override {
        ScopedBstr name;
        if (element_->get_baseName(name.Put()) != S_OK) return std::wstring();
        return name.Text();
    }

    std::optional<std::wstring> Attribute(const wchar_t* name) const override {
        const ScopedBstr key(SysAllocString(name));
        ScopedVariant value;
        if (!key.Get() || element_->getAttribute(key.Get(), value.Put()) != S_OK) return std::nullopt;
        if (value.Get().vt != VT_BSTR) return std::nullopt;
        const BSTR text = value.Get().bstrVal;
        return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    }

    std::unique_ptr<TVersionElement> Child(const wchar_t* name) const override {
        ComPtr<IXMLDOMNodeList> children;
        if (FAILED(element_->get_childNodes(children.Put())) || !children) return nullptr;
        long count = 0;
        if (FAILED(children->get_length(&count))) return nullptr;
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> node;
            DOMNodeType type = NODE_INVALID;
            if (children->get_item(i, node.Put()) != S_OK || !node) continue;
            if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) continue;
            ScopedBstr nodeName;
            if (node->get_nodeName(nodeName.Put()) != S_OK || nodeName.Text() != name) continue;
            ComPtr<IXMLDOMElement> element;
            if (SUCCEEDED(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.Put()))) && element)
                return std::make_unique<MsxmlElement>(std::move(element));
        }
        return nullptr;
    }

private:
    ComPtr<IXMLDOMElement> element_;
};

class MsxmlVersionDocument final : public TVersionDocument {
public:
    explicit MsxmlVersionDocument(const TVersionFetchLimits& limits) : limits_(limits) {}

    ~MsxmlVersionDocument() override {
        if (!worker_.joinable()) return;
        // A fetch still running ends on its own time-outs; only its shared state outlives us.
        if (fetch_->finished.load(std::memory_order_acquire)) worker_.join();
        else worker_.detach();
    }

    [[nodiscard]] bool CreateDom() {
        for (const GUID* cls : {&kClsidDomDocument60, &kClsidDomDocument30}) {
            if (SUCCEEDED(CoCreateInstance(*cls, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument2,
                                           reinterpret_cast<void**>(dom_.Put()))) &&
                dom_)
                break;
        }
        if (!dom_) return false;
        // The answer is a few lines: no external resources, no validation, no DTD and so no entities.
        (void)dom_->put_async(VARIANT_FALSE);
        (void)dom_->put_resolveExternals(VARIANT_FALSE);
        (void)dom_->put_validateOnParse(VARIANT_FALSE);
        SetProperty(L"ProhibitDTD", VARIANT_TRUE);
        return true;
    }

    bool Load(const std::wstring& address) override {
        if (state_ != kUninitialized) return false;
        auto fetch = std::make_shared<FetchState>();
        try {
            worker_ = std::thread(FetchThread, fetch, address, limits_);
        } catch (...) {
            return false;
        }
        fetch_ = std::move(fetch);
        started_ = std::chrono::steady_clock::now();
        state_ = kLoading;
        return true;
    }

    int ReadyState() override {
        if (state_ != kLoading) return state_;
        if (fetch_->finished.load(std::memory_order_acquire)) {
            worker_.join();
            if (fetch_->succeeded) Parse(fetch_->body);
            fetch_->body.clear();
            state_ = kComplete;
        } else if (std::chrono::steady_clock::now() - started_ > Deadline()) {
            // The network layer's own time-outs did not end the fetch: give up on it, so that a
            // silent server cannot hold the check forever. The worker ends or idles on its own.
            worker_.detach();
            state_ = kComplete;
        }
        return state_;
    }

    bool Empty() const override { return !Root(); }

    std::unique_ptr<TVersionElement> Root() const override {
        if (!parsed_) return nullptr;
        ComPtr<IXMLDOMElement> root;
        if (dom_->get_documentElement(root.Put()) != S_OK || !root) return nullptr;
        return std::make_unique<MsxmlElement>(std::move(root));
    }

private:
    // Somewhat later than the worker's own limit, which normally ends the fetch first.
    std::chrono::milliseconds Deadline() const {
        return std::chrono::milliseconds(limits_.totalMs) + std::chrono::seconds(1);
    }

    void SetProperty(const wchar_t* name, VARIANT_BOOL value) {
        const ScopedBstr key(SysAllocString(name));
        VARIANT setting;
        VariantInit(&setting);
        setting.vt = VT_BOOL;
        setting.boolVal = value;
        if (key.Get()) (void)dom_->setProperty(key.Get(), setting);
    }

    void Parse(const std::string& body) {
        std::wstring text;
        if (!DecodeBody(body, text)) return;
        // A NUL would end the parser's view of the text early, and some DOMs ignore ProhibitDTD:
        // neither can be part of a valid answer, so both fail the load before parsing.
        if (text.find(L'\0') != std::wstring::npos || text.find(L"<!DOCTYPE") != std::wstring::npos) return;
        const ScopedBstr xml(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (!xml.Get() || dom_->loadXML(xml.Get(), &loaded) != S_OK || loaded != VARIANT_TRUE) return;
        parsed_ = true;
    }

    ui::ComApartment apartment_;  // first in, last out: the DOM below is released inside it
    ComPtr<IXMLDOMDocument2> dom_;
    TVersionFetchLimits limits_;
    std::shared_ptr<FetchState> fetch_;
    std::thread worker_;
    std::chrono::steady_clock::time_point started_;
    int state_ = kUninitialized;
    bool parsed_ = false;
};

}  // namespace

std::unique_ptr<TVersionDocument> CreateVersionDocument(const TVersionFetchLimits& limits) {
    auto document = std::make_unique<MsxmlVersionDocument>(limits);
    if (!document->CreateDom()) return nullptr;
    return document;
}
