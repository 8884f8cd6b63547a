// A link to a folder, for the tests of walks and removals that must never follow one.
//
// On POSIX it is a symbolic link. On Windows it is a junction made with `mklink /J`, which
// every user may make (symbolic links need a privilege or developer mode there). Wine 8 can
// make neither: `mklink /J` fails, CreateSymbolicLinkW does nothing and reparse points cannot
// be set. It does show a Unix symbolic link to a folder as a reparse point of that folder,
// though, so under Wine the link is made by the Linux `ln`, which a Windows program can start
// from Wine's Z: drive (Wine does not wait for a Linux program, so the link is waited for). Wine
// cannot remove such a link (RemoveDirectoryW and DeleteFileW both fail on it):
// `removableBySystem()` is then false, and the object removes it with the Linux `rm` when it
// goes, so that the test's folder can go after it.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#ifdef _WIN32
#include <process.h>
#endif

namespace tessaro::testing {

class FolderLink {
public:
    FolderLink(const std::filesystem::path& target, const std::filesystem::path& link) : link_(link) {
#ifdef _WIN32
        ::_wsystem((L"mklink /J " + quoted(link.wstring()) + L" " + quoted(target.wstring()) + L" >NUL 2>&1").c_str());
        if (exists()) return;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(kWineLn, ec)) return;
        unixLink_ = unixPath(link);
        const std::wstring unixTarget = quoted(unixPath(target));
        ::_wspawnl(_P_WAIT, kWineLn, L"ln", L"-s", unixTarget.c_str(), quoted(unixLink_).c_str(), nullptr);
        waitUntil(true);
#else
        std::error_code ec;
        std::filesystem::create_directory_symlink(target, link, ec);
#endif
    }
    ~FolderLink() {
#ifdef _WIN32
        if (unixLink_.empty() || !exists()) return;
        ::_wspawnl(_P_WAIT, kWineRm, L"rm", L"-f", quoted(unixLink_).c_str(), nullptr);
        waitUntil(false);
#endif
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    bool made() const { return exists(); }
    // False under Wine, which cannot remove the Unix link it shows as a reparse point.
    bool removableBySystem() const {
#ifdef _WIN32
        return unixLink_.empty();
#else
        return true;
#endif
    }
    static const char* whyNotMade() {
        return "this system can make no link to a folder (no junctions, no symbolic links, no Wine with a Linux ln)";
    }

private:
    bool exists() const {
        std::error_code ec;
        return std::filesystem::exists(link_, ec);
    }

#ifdef _WIN32
    static constexpr const wchar_t* kWineLn = L"Z:\\bin\\ln";
    static constexpr const wchar_t* kWineRm = L"Z:\\bin\\rm";

    static std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

    // Up to 10 s for the Linux program to make or remove the link.
    void waitUntil(bool present) const {
        for (int i = 0; i < 200 && exists() != present; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    // The Unix path Wine gives a Windows path (winepath -u).
    static std::wstring unixPath(const std::filesystem::path& path) {
        std::wstring result;
        if (std::FILE* pipe = ::_wpopen((L"winepath -u " + quoted(path.wstring())).c_str(), L"r")) {
            char buffer[4096];
            std::string text;
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
            ::_pclose(pipe);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            result.assign(text.begin(), text.end());  // the test folders' paths are ASCII
        }
        return result;
    }

    std::wstring unixLink_;
#endif
    std::filesystem::path link_;
};

}  // namespace tessaro::testing
