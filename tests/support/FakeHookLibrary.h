// The hook library as the tests want it: present, missing or without an export; it counts the
// starts of each kind not yet stopped, notes an unload while something is still watched, and
// hands the tests' messages to the receiver window as the message loop would.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace nv::test {

class FakeHookLibrary final : public IHookLibrary {
  public:
    enum class File { Present, Missing, WithoutStopAll };

    std::uint32_t RegisterWindowMessageW(const std::wstring& name) override;
    LoadResult LoadHookLibrary(const std::wstring& path, Receiver receiver) override;
    void UnloadHookLibrary() override;
    void StartWatching(std::uint8_t kind) override;
    void StopWatching(std::uint8_t kind) override;
    bool StillWatching() override;
    void StopAll() override;

    // Posts one of the library's messages, by name, to the receiver window; false when there is
    // none (nothing loaded).
    bool Post(const std::wstring& name, std::uintptr_t wParam, std::intptr_t lParam);
    bool Loaded() const { return static_cast<bool>(m_receiver); }

    // Starts not yet stopped, by kind.
    const std::map<std::uint8_t, int>& Watching() const { return m_watching; }

    File file = File::Present;
    std::vector<std::wstring> loads;  // the paths asked for
    // The library was let go while a kind was still started: the real one would be unloaded
    // under its own hook thread.
    bool unloadedWhileWatching = false;

  private:
    std::map<std::wstring, std::uint32_t> m_messages;
    std::map<std::uint8_t, int> m_watching;
    Receiver m_receiver;
};

}  // namespace nv::test
