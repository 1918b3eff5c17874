#include "workfile/WorkLocks.h"

#include <system_error>

#include "diagnostics/ErrorLog.h"
#include "diagnostics/SharedLock.h"
#include "workfile/WorkJournal.h"

namespace stampwell {

namespace fs = std::filesystem;

CWorkLocks::CWorkLocks(fs::path dataLock, std::chrono::milliseconds wait)
    : m_dataLock(std::move(dataLock)), m_wait(wait) {}

CWorkLocks::~CWorkLocks() = default;

void CWorkLocks::Note(const CFileLock& lock) {
    const auto state = lock.State();
    if (CFileLock::IsRefusal(state)) {
        m_refusal = state;
        CSharedLock::Log(m_dataLock.parent_path(), state, lock.Path());
    }
}

CWorkLocks::CScope::CScope(CWorkLocks& locks, const fs::path& work) : m_locks(locks) {
    if (m_locks.m_depth++ > 0) return;
    m_locks.m_refusal = CFileLock::EState::kHeld;
    m_locks.m_data = std::make_unique<CFileLock>(m_locks.m_dataLock, m_locks.m_wait);
    m_locks.Note(*m_locks.m_data);
    if (!m_locks.AllowsChange()) return;
    std::error_code error;
    fs::path folder = work.parent_path().empty() ? fs::path(".") : work.parent_path();
    if (fs::is_directory(folder, error)) m_locks.TakeWorkLock(work);
}

CWorkLocks::CScope::~CScope() {
    if (--m_locks.m_depth == 0) {
        m_locks.m_work.reset();
        m_locks.m_data.reset();
    }
}

bool CWorkLocks::HasWorkLock() const {
    return m_work && (m_work->State() == CFileLock::EState::kHeld ||
                      m_work->State() == CFileLock::EState::kUnavailable);
}

void CWorkLocks::TakeWorkLock(const fs::path& work) {
    if (m_work && m_work->State() == CFileLock::EState::kMissing) m_work.reset();
    if (m_depth == 0 || m_work || !AllowsChange()) return;
    fs::path lockPath = work;
    lockPath += ".lock";
    m_work = std::make_unique<CFileLock>(lockPath, m_wait);
    Note(*m_work);
    // A rewrite that a killed program left half done is finished before anyone reads.
    if (m_work->State() == CFileLock::EState::kHeld && !CWorkJournal(work).Settle()) {
        m_refusal = CFileLock::EState::kFailed;
        ErrorLog(m_dataLock.parent_path(), __LINE__,
                 "勤務ファイルの書きかけの保存を仕上げられませんでした: " +
                     CWorkJournal(work).FilePath().string() + " (CWorkJournal::Settle)",
                 __FILE__);
    }
}

}  // namespace stampwell
