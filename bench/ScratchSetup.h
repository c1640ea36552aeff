// A private folder for one benchmark run with the stand-in engine's configuration file in it, and
// the environment that points the engine at it.
#pragma once

#include <string>

namespace bench {

class ScratchSetup {
public:
    // `tag` keeps the folders and pipe names of concurrent runs apart.
    explicit ScratchSetup(const std::wstring& tag);
    ~ScratchSetup();
    ScratchSetup(const ScratchSetup&) = delete;
    ScratchSetup& operator=(const ScratchSetup&) = delete;

    const std::wstring& ConfigPath() const { return config_; }
    const std::wstring& PipeName() const { return pipe_; }
    // Points the engine, in quiet mode, at the configuration (and serves its control pipe when
    // `withPipe`), for this process and the children it starts from now on.
    void Apply(bool withPipe) const;
    static void Clear();

private:
    std::wstring folder_, config_, pipe_;
};

}  // namespace bench
