#include "conceal/RecoveryFile.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace nv {

TRecoveryFile::TRecoveryFile(IKernel& kernel, std::wstring path, std::wstring damagedPath)
    : m_kernel(kernel), m_path(std::move(path)), m_damagedPath(std::move(damagedPath)) {}

void TRecoveryFile::Write(const TRecoveryRecord& record) {
    std::string bytes = record.Empty() ? std::string() : record.Serialize();
    if (m_known && bytes == m_written) return;
    try {
        if (bytes.empty()) {
            if (!m_kernel.DeleteFileW(m_path))
                throw std::runtime_error("Cannot delete file \"" + ToUtf8(m_path) + "\"");
        } else {
            m_kernel.ReplaceFileContents(m_path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        }
        m_written = std::move(bytes);
        m_known = true;
    } catch (const std::exception& error) {
        // Tried again at the next change; the file's content is unknown meanwhile.
        m_known = false;
        if (m_failure.empty() && !m_failureTold) m_failure = error.what();
    }
}

TRecoveryFile::TState TRecoveryFile::Read(TRecoveryRecord& record) {
    if (!m_kernel.FileExists(m_path)) {
        // A folder or another odd thing in its place is not a record.
        std::vector<std::uint8_t> none;
        try {
            none = m_kernel.ReadWholeFile(m_path);
        } catch (const OsError& error) {
            if (error.Code() == 2 || error.Code() == 3) {  // not found: no record at all
                m_written.clear();
                m_known = true;
                return TState::None;
            }
            return TState::Damaged;
        }
        return TState::Damaged;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = m_kernel.ReadWholeFile(m_path);
    } catch (const std::exception&) {
        return TState::Damaged;
    }
    auto parsed = TRecoveryRecord::Parse(bytes);
    if (!parsed) return TState::Damaged;
    record = std::move(*parsed);
    m_written.assign(bytes.begin(), bytes.end());
    m_known = true;
    return TState::Found;
}

bool TRecoveryFile::SetAside() {
    m_known = false;
    if (!m_kernel.MoveFileW(m_path, m_damagedPath)) return false;
    m_written.clear();
    m_known = true;
    return true;
}

bool TRecoveryFile::Remove() {
    m_known = false;
    if (!m_kernel.DeleteFileW(m_path)) return false;
    m_written.clear();
    m_known = true;
    return true;
}

std::string TRecoveryFile::TakeFailure() {
    if (m_failure.empty()) return {};
    m_failureTold = true;
    return std::exchange(m_failure, std::string());
}

}  // namespace nv
