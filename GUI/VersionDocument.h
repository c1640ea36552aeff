// The software version document of one update check, loaded asynchronously.
#pragma once

class TVersionDocument {
public:
    virtual ~TVersionDocument() = default;
};
