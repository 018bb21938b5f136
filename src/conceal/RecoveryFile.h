// The recovery record on disk: written in one step (a temporary file, then a replace) whenever
// what a hide owes changes, removed when nothing is owed, read once at start.
#pragma once

#include <string>

#include "conceal/RecoveryRecord.h"
#include "platform/Platform.h"

namespace nv {

class TRecoveryFile {
  public:
    // path: the record; damagedPath: where a record that cannot be read is set aside.
    TRecoveryFile(IKernel& kernel, std::wstring path, std::wstring damagedPath);

    // Writes the record, or removes the file when the record is empty; a record the file holds
    // already is not written again. Never raises: a hide must go on without its record. The
    // first failure of the run is kept for the user (TakeFailure).
    void Write(const TRecoveryRecord& record);

    enum class TState { None, Found, Damaged };
    // What the file holds: nothing, a record, or something that is not one (unreadable, cut
    // short, altered, a folder in its place).
    TState Read(TRecoveryRecord& record);
    // Renames a damaged record out of the way, so the next start does not meet it again;
    // false when it could not be moved.
    bool SetAside();
    // Removes the record after it has been put into effect; false when it could not be.
    bool Remove();

    const std::wstring& Path() const { return m_path; }
    const std::wstring& DamagedPath() const { return m_damagedPath; }
    // The text of the first failed write not yet told, emptied by the call.
    std::string TakeFailure();

  private:
    IKernel& m_kernel;
    std::wstring m_path;
    std::wstring m_damagedPath;
    std::string m_written;  // the bytes the file holds, as far as we know; empty: no file
    bool m_known = false;   // whether m_written is known
    std::string m_failure;
    bool m_failureTold = false;
};

}  // namespace nv
