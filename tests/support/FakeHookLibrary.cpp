#include "support/FakeHookLibrary.h"

namespace nv::test {

std::uint32_t FakeHookLibrary::RegisterWindowMessageW(const std::wstring& name) {
    auto it = m_messages.find(name);
    if (it != m_messages.end()) return it->second;
    std::uint32_t number = 0xC100 + static_cast<std::uint32_t>(m_messages.size());
    m_messages[name] = number;
    return number;
}

IHookLibrary::LoadResult FakeHookLibrary::LoadHookLibrary(const std::wstring& path,
                                                          Receiver receiver) {
    if (m_receiver) return LoadResult::Loaded;
    loads.push_back(path);
    if (file == File::Missing) return LoadResult::NotFound;
    if (file == File::WithoutStopAll) return LoadResult::NotValid;
    m_receiver = std::move(receiver);
    return LoadResult::Loaded;
}

void FakeHookLibrary::UnloadHookLibrary() {
    if (!m_receiver) return;
    if (!m_watching.empty()) unloadedWhileWatching = true;
    m_receiver = nullptr;
    m_watching.clear();
}

void FakeHookLibrary::StartWatching(std::uint8_t kind) {
    if (!m_receiver) return;
    ++m_watching[kind];
}

void FakeHookLibrary::StopWatching(std::uint8_t kind) {
    if (!m_receiver) return;
    auto it = m_watching.find(kind);
    if (it != m_watching.end() && --it->second <= 0) m_watching.erase(it);
}

bool FakeHookLibrary::StillWatching() {
    if (!m_receiver) return false;
    return !m_watching.empty();
}

void FakeHookLibrary::StopAll() {
    if (!m_receiver) return;
    m_watching.clear();
}

bool FakeHookLibrary::Post(const std::wstring& name, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!m_receiver) return false;
    Receiver receiver = m_receiver;  // a handler may unload the library
    return receiver(RegisterWindowMessageW(name), wParam, lParam);
}

}  // namespace nv::test
