#include "personnel/AdminLoginSession.h"

#include <memory>

#include "platform/IFileWork.h"
#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "store/IAdminStore.h"

namespace stampwell {

namespace {
constexpr const char* kNoAnswer =
    "管理者情報の記録先が応答しないため、待つのをやめました。\nしばらくしてからもう一度お試し"
    "ください。";
}

CAdminLoginSession::CAdminLoginSession(IAdminStore& admins, IPrompt& prompt, IFileWork* work)
    : m_admins(admins), m_prompt(prompt), m_work(work) {}

CAdminLoginSession::ECheck CAdminLoginSession::Check(bool byCard, const std::string& first,
                                                     const std::string& password) {
    struct Job {
        std::shared_ptr<IAdminStore> admins;
        bool accepted = false;
        bool unreachable = false;
    };
    // The job owns what it touches: it goes on by itself when the administrator stops waiting.
    auto job = std::make_shared<Job>();
    job->admins = m_admins.Clone();
    m_checking = true;
    auto check = [job, byCard, first, password] {
        job->accepted = byCard ? job->admins->LoginWithCard(first)
                               : job->admins->LoginWithPassword(first, password);
        job->unreachable =
            !job->accepted && job->admins->LastRefusal() == IAdminStore::ERefusal::kUnreachable;
    };
    CInlineFileWork inline_;
    const bool finished =
        (m_work != nullptr ? *m_work : static_cast<IFileWork&>(inline_)).Run(check);
    m_checking = false;
    if (!finished) return ECheck::kStopped;
    if (job->accepted) {
        m_admins.SetLoginId(job->admins->GetLoginId());
        return ECheck::kAccepted;
    }
    return job->unreachable ? ECheck::kUnreachable : ECheck::kRefused;
}

void CAdminLoginSession::Say(ECheck checked, const char* refused) {
    m_prompt.ShowMessage(checked == ECheck::kRefused ? refused
                         : checked == ECheck::kStopped
                             ? kNoAnswer
                             : CAdminFile::RefusalMessage(IAdminStore::ERefusal::kUnreachable),
                         EMessageIcon::None);
}

void CAdminLoginSession::Begin() {
    m_timeoutStopped = false;
    m_messageOpen = false;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnCardTick(CFelicaReader* reader) {
    if (reader == nullptr || m_messageOpen || m_checking) return kContinue;
    std::string card;
    if (!reader->Poll(card)) return kContinue;
    const ECheck checked = Check(true, card, {});
    if (checked == ECheck::kAccepted) return kAccepted;
    m_messageOpen = true;
    Say(checked, "管理者認証用として登録されていないカードです。");
    m_messageOpen = false;
    return kContinue;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnOk(const std::string& id,
                                                      const std::string& password) {
    m_timeoutStopped = true;
    if (m_checking) return kContinue;
    if (id.empty() || password.empty()) {
        m_prompt.ShowMessage("登録名またはパスが未入力です", EMessageIcon::None);
        return kContinue;
    }
    // A failed attempt leaves the login ID as it was.
    const ECheck checked = Check(false, id, password);
    if (checked == ECheck::kAccepted) return kAccepted;
    Say(checked, "登録名またはパスが異なります。");
    return kContinue;
}

CAdminLoginSession::EOutcome CAdminLoginSession::OnTimeout() {
    return m_timeoutStopped ? kContinue : kCancelled;
}

}  // namespace stampwell
