#include "admin_ui/ShareWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace stampwell {

bool CShareWait::Run(std::function<void()> job) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    const auto queue = m_queue ? m_queue : std::make_shared<CCallerQueue>();
    queue->Open();
    // Detached: a share that never answers must not keep the window waiting for the thread.
    std::thread([job = std::move(job), done, queue] {
        job();
        done->store(true);
        queue->Wake();
    }).detach();
    // A share that answers is waited for without running the window's events (nothing else
    // happens meanwhile, as before); only a slow one gets the box and the events.
    QElapsedTimer quiet;
    quiet.start();
    while (!done->load() && quiet.elapsed() < kShowAfterMs) {
        queue->WaitFor(static_cast<int>(kShowAfterMs - quiet.elapsed()),
                       [&] { return done->load(); });
        if (queue->RunPending()) quiet.restart();
    }
    if (done->load()) {
        queue->Close();
        return true;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    bool stopped = false;
    bool saidNoAnswer = false;
    std::unique_ptr<QProgressDialog> box;
    while (!done->load() && !stopped) {
        // The box takes input for itself; the window below only paints and its clock ticks.
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (done->load() || stopped || !box) {
                loop.quit();
                return;
            }
            if (queue->RunPending()) elapsed.restart();
            if (box && !saidNoAnswer && elapsed.elapsed() >= kNoAnswerMs) {
                saidNoAnswer = true;
                box->setLabelText(QString::fromUtf8(
                    "共有フォルダが応答しません。\n応答を待っています。待たずに閉じるときは"
                    "「閉じる」を押してください。"));
                auto* close = new QPushButton(QString::fromUtf8("閉じる"), box.get());
                box->setCancelButton(close);  // the box owns it
            }
        });
        tick.start(20);
        if (box) loop.exec();
        if (done->load() || stopped) break;
        if (!box) {
            box = std::make_unique<QProgressDialog>(m_parent);
            box->setWindowTitle(QStringLiteral("Stampwell"));
            box->setLabelText(QString::fromUtf8("処理中…"));
            box->setRange(0, 0);
            box->setCancelButton(nullptr);
            box->setMinimumDuration(0);
            box->setWindowModality(Qt::ApplicationModal);
            box->setAutoClose(false);
            box->setAutoReset(false);
            QObject::connect(box.get(), &QProgressDialog::canceled, [&] { stopped = true; });
            box->show();
            m_box = box.get();
        }
    }
    m_box = nullptr;
    queue->Close();
    return done->load();
}

}  // namespace stampwell
