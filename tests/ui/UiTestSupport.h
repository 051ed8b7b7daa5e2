#pragma once
// What the window tests share: a recorder in place of the boxes, fresh
// settings, a main window started as the program starts it, and drivers for
// modal dialogs and for waiting on the event loop.

#include "uBoxes.h"
#include "uFicDownloadVexa.h"
#include "uFlags.h"
#include "uFormSupport.h"
#include "uLocalization.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellkit::test {

struct TBox {
    enum Kind { Message, Information, Error, Question } kind;
    QString text;
    QWidget* owner = nullptr;
};

class TBoxRecorder : public IBoxes {
public:
    TBoxRecorder() { SetBoxes(this); }
    ~TBoxRecorder() override { SetBoxes(nullptr); }
    TBoxRecorder(const TBoxRecorder&) = delete;
    TBoxRecorder& operator=(const TBoxRecorder&) = delete;

    void MessageBox(const QString& text, QWidget* owner) override { boxes.push_back({TBox::Message, text, owner}); }
    void InformationBox(const QString& text) override { boxes.push_back({TBox::Information, text, nullptr}); }
    void ErrorBox(const QString& text) override { boxes.push_back({TBox::Error, text, nullptr}); }
    bool QuestionBox(const QString& text, const QString&, const QString&) override
    {
        boxes.push_back({TBox::Question, text, nullptr});
        return answerWith ? answerWith() : answer;
    }

    std::vector<TBox> boxes;
    bool answer = false;  // to every question
    std::function<bool()> answerWith;  // when set, answers instead (and may act first)
};

inline void ClearSettings()
{
    QSettings s(QStringLiteral("Morvane"), QStringLiteral("Pellkit"));
    s.clear();
    s.sync();
}

inline void SetSetting(const QString& key, const QVariant& value)
{
    QSettings s(QStringLiteral("Morvane"), QStringLiteral("Pellkit"));
    s.setValue(key, value);
    s.sync();
}

inline QVariant Setting(const QString& key)
{
    return QSettings(QStringLiteral("Morvane"), QStringLiteral("Pellkit")).value(key);
}

// Runs the event loop until done() or the timeout; true when done.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeout.count())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Calls act on the next modal dialog of type D once it is shown (from inside
// its own event loop). A dialog nobody acted on is closed after the timeout,
// so that a failing test never hangs.
template <class D> void WhenModal(std::function<void(D&)> act, std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, started, timeout] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(*d);
            return;
        }
        if (started->elapsed() > timeout.count()) {
            timer->stop();
            timer->deleteLater();
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
            ADD_FAILURE() << "no modal dialog of the expected kind appeared";
        }
    });
    timer->start();
}

// The main window as the program starts it, in its own settings, writing
// into dest and keeping its safety copies in spool.
struct TStartedWindow {
    explicit TStartedWindow(const QString& dest = {}, const QString& spool = {})
    {
        window.LoadLanguage();
        window.LoadDestination();
        window.CreateDialogs();
        if (!spool.isEmpty())
            window.SpoolDirectory = spool;
        if (!dest.isEmpty()) {
            window.DestinationDir = QDir::toNativeSeparators(dest + QLatin1Char('/'));
            window.Edit1->setText(window.DestinationDir);
        }
    }
    TFicheDownloadVexa window;
};

} // namespace pellkit::test
