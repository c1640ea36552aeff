// The version document: fetched over HTTP from a local server, read with the platform's XML DOM.
#include "GUI/VersionDocument.h"
#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tests;

namespace {

constexpr char kAnswer[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<t:Command xmlns:t=\"urn:tonalix\" Status=\"succeed\" Empty=\"\">\n"
    "  <!-- newest release -->\n"
    "  <Other/>\n"
    "  <SoftwareVersion Version=\"1.0.5234\" ForceUpgrade=\"true\"/>\n"
    "</t:Command>\n";

std::wstring AddressOf(uint16_t port, const wchar_t* path = L"/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233") {
    return L"http://127.0.0.1:" + std::to_wstring(port) + path;
}

// Polls the load state the way the check timer does, until complete or `timeoutMs` passes.
bool WaitUntilComplete(TVersionDocument& document, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    while (document.ReadyState() != TVersionDocument::kComplete) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

class VersionDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server.Port(), 0); }

    std::unique_ptr<TVersionDocument> Fetch(const TVersionFetchLimits& limits = TVersionFetchLimits()) {
        std::unique_ptr<TVersionDocument> document = CreateVersionDocument(limits);
        if (!document) {
            ADD_FAILURE() << "no XML document service";
            return nullptr;
        }
        EXPECT_EQ(document->ReadyState(), TVersionDocument::kUninitialized);
        if (!document->Load(AddressOf(server.Port()))) {
            ADD_FAILURE() << "the load did not start";
            return nullptr;
        }
        EXPECT_TRUE(WaitUntilComplete(*document));
        return document;
    }

    LocalHttpServer server;
};

TEST_F(VersionDocumentTest, ReadsRootLocalNameAttributesAndChildren) {
    server.Respond(200, kAnswer);
    const std::unique_ptr<TVersionDocument> document = Fetch();
    ASSERT_TRUE(document);
    ASSERT_FALSE(document->Empty());
    const std::unique_ptr<TVersionElement> root = document->Root();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->LocalName(), L"Command");  // without its prefix
    EXPECT_EQ(root->Attribute(L"Status"), std::optional<std::wstring>(L"succeed"));
    EXPECT_EQ(root->Attribute(L"Empty"), std::optional<std::wstring>(L""));
    EXPECT_EQ(root->Attribute(L"ForceUpgrade"), std::nullopt) << "it sits on the child, not the root";
    EXPECT_EQ(root->Attribute(L"status"), std::nullopt) << "names are case-sensitive";
    EXPECT_EQ(root->Child(L"Nothing"), nullptr);
    const std::unique_ptr<TVersionElement> child = root->Child(L"SoftwareVersion");
    ASSERT_TRUE(child);
    EXPECT_EQ(child->LocalName(), L"SoftwareVersion");
    EXPECT_EQ(child->Attribute(L"Version"), std::optional<std::wstring>(L"1.0.5234"));
    EXPECT_EQ(child->Attribute(L"ForceUpgrade"), std::optional<std::wstring>(L"true"));
}

TEST_F(VersionDocumentTest, TheRequestIsAPlainGetOfTheAddress) {
    server.Respond(200, kAnswer);
    ASSERT_TRUE(Fetch());
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& head = requests[0];
    EXPECT_EQ(head.substr(0, head.find("\r\n")),
              "GET /TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233 HTTP/1.1");
    EXPECT_NE(head.find("\r\nHost: 127.0.0.1:" + std::to_string(server.Port())), std::string::npos) << head;
    EXPECT_EQ(head.find("User-Agent"), std::string::npos) << head;
}

TEST_F(VersionDocumentTest, TextEncodingsOfTheBody) {
    struct Case {
        const char* name;
        std::string body;
    };
    const std::string utf16le("\xFF\xFE<\0C\0o\0m\0m\0a\0n\0d\0 \0S\0t\0a\0t\0u\0s\0=\0\"\0\xE9\0\"\0/\0>\0", 44);
    const std::string utf16be("\xFE\xFF\0<\0C\0o\0m\0m\0a\0n\0d\0 \0S\0t\0a\0t\0u\0s\0=\0\"\0\xE9\0\"\0/\0>", 44);
    const Case cases[] = {
        {"UTF-8", "<Command Status=\"\xC3\xA9\"/>"},
        {"UTF-8 with mark", "\xEF\xBB\xBF<Command Status=\"\xC3\xA9\"/>"},
        {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><Command Status=\"\xE9\"/>"},
        {"UTF-16LE", utf16le},
        {"UTF-16BE", utf16be},
    };
    for (const Case& c : cases) {
        server.Respond(200, c.body);
        const std::unique_ptr<TVersionDocument> document = Fetch();
        ASSERT_TRUE(document) << c.name;
        const std::unique_ptr<TVersionElement> root = document->Root();
        ASSERT_TRUE(root) << c.name;
        EXPECT_EQ(root->Attribute(L"Status"), std::optional<std::wstring>(L"\u00e9")) << c.name;
    }
}

TEST_F(VersionDocumentTest, FailedLoadsCompleteWithAnEmptyDocument) {
    const std::string lol = "<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                            "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                            "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                            "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                            "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">";
    struct Case {
        const char* name;
        HttpAnswer answer;
    };
    auto respond = [](int status, std::string body) {
        HttpAnswer answer;
        answer.status = status;
        answer.body = std::move(body);
        return answer;
    };
    HttpAnswer closed;
    closed.kind = HttpAnswer::Kind::CloseSilently;
    const Case cases[] = {
        {"server error with a valid document", respond(500, kAnswer)},
        {"not found", respond(404, kAnswer)},
        {"redirect nowhere", respond(302, kAnswer)},
        {"garbage", respond(200, "this is not XML <<<")},
        {"empty body", respond(200, "")},
        {"truncated", respond(200, std::string(kAnswer).substr(0, 60))},
        {"embedded NUL", respond(200, std::string("<Command Status=\"succeed\"/>\0<x", 30))},
        {"odd UTF-16", respond(200, std::string("\xFF\xFE<\0C", 5))},
        {"too long", respond(200, "<Command Status=\"succeed\">" + std::string(70000, ' ') + "</Command>")},
        {"entity expansion", respond(200, "<?xml version=\"1.0\"?><!DOCTYPE Command [" + lol + "]><Command Status=\"&f;\"/>")},
        {"any DTD", respond(200, "<!DOCTYPE Command [<!ENTITY s \"succeed\">]><Command Status=\"&s;\"/>")},
        {"closed without an answer", closed},
    };
    for (const Case& c : cases) {
        server.SetAnswer(c.answer);
        const std::unique_ptr<TVersionDocument> document = Fetch();
        ASSERT_TRUE(document) << c.name;
        EXPECT_EQ(document->ReadyState(), TVersionDocument::kComplete) << c.name;
        EXPECT_TRUE(document->Empty()) << c.name;
        EXPECT_EQ(document->Root(), nullptr) << c.name;
    }
}

TEST_F(VersionDocumentTest, ABodyAtTheLimitStillLoads) {
    const std::string head = "<Command Status=\"succeed\">";
    const std::string tail = "</Command>";
    server.Respond(200, head + std::string(64 * 1024 - head.size() - tail.size(), ' ') + tail);
    const std::unique_ptr<TVersionDocument> document = Fetch();
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->Empty());
}

TEST_F(VersionDocumentTest, RefusedConnectionCompletesEmpty) {
    std::unique_ptr<TVersionDocument> document = CreateVersionDocument();
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->Load(AddressOf(LocalHttpServer::UnusedPort())));
    ASSERT_TRUE(WaitUntilComplete(*document));
    EXPECT_TRUE(document->Empty());
}

TEST_F(VersionDocumentTest, AnAddressThatIsNotHttpDoesNotLoad) {
    for (const wchar_t* address : {L"", L"not an address", L"ftp://127.0.0.1/x"}) {
        std::unique_ptr<TVersionDocument> document = CreateVersionDocument();
        ASSERT_TRUE(document);
        if (document->Load(address)) {
            // Refused later rather than at once is acceptable; it must still end empty.
            ASSERT_TRUE(WaitUntilComplete(*document));
            EXPECT_TRUE(document->Empty());
        }
    }
}

TEST_F(VersionDocumentTest, LateAnswerWithinTheTimeOutsStillLoads) {
    HttpAnswer late;
    late.body = kAnswer;
    late.delayMs = 800;
    server.SetAnswer(late);
    std::unique_ptr<TVersionDocument> document = CreateVersionDocument();
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->Load(AddressOf(server.Port())));
    EXPECT_EQ(document->ReadyState(), TVersionDocument::kLoading);
    ASSERT_TRUE(WaitUntilComplete(*document));
    EXPECT_FALSE(document->Empty());
}

TEST_F(VersionDocumentTest, SilentServerEndsInTheReceiveTimeOut) {
    HttpAnswer silent;
    silent.kind = HttpAnswer::Kind::NeverAnswer;
    server.SetAnswer(silent);
    TVersionFetchLimits quick;
    quick.receiveMs = 300;
    std::unique_ptr<TVersionDocument> document = CreateVersionDocument(quick);
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->Load(AddressOf(server.Port())));
    ASSERT_TRUE(WaitUntilComplete(*document, 10000)) << "the load must end even if the server never answers";
    EXPECT_TRUE(document->Empty());
}

TEST_F(VersionDocumentTest, TheWholeLoadIsBoundedEvenWhileTheNetworkStillWaits) {
    HttpAnswer silent;
    silent.kind = HttpAnswer::Kind::NeverAnswer;
    server.SetAnswer(silent);
    TVersionFetchLimits limits;
    limits.receiveMs = 60000;
    limits.totalMs = 300;
    std::unique_ptr<TVersionDocument> document = CreateVersionDocument(limits);
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->Load(AddressOf(server.Port())));
    ASSERT_TRUE(WaitUntilComplete(*document, 10000)) << "the 60 s receive time-out held the load";
    EXPECT_TRUE(document->Empty());
}

TEST_F(VersionDocumentTest, DroppingAnUnfinishedDocumentDoesNotWaitForTheServer) {
    HttpAnswer silent;
    silent.kind = HttpAnswer::Kind::NeverAnswer;
    server.SetAnswer(silent);
    TVersionFetchLimits patient;
    patient.receiveMs = 20000;
    patient.totalMs = 60000;
    std::unique_ptr<TVersionDocument> document = CreateVersionDocument(patient);
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->Load(AddressOf(server.Port())));
    const DWORD start = GetTickCount();
    while (server.Requests().empty() && GetTickCount() - start < 5000) Sleep(10);
    ASSERT_EQ(server.Requests().size(), 1u);
    const auto before = std::chrono::steady_clock::now();
    document.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5))
        << "destruction waited for the 20 s receive time-out";
}

}  // namespace
