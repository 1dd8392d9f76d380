#include "shell/guarded_app.h"

#include <QMessageBox>

#include <exception>
#include <new>

namespace tarvik::shell {

namespace {

void Report(const QString& detail) {
    // The box must not itself run into the failure it reports.
    try {
        QMessageBox::critical(nullptr, QStringLiteral("Тарвик:"),
                              QStringLiteral("Во время выполнения произошла ошибка!\n") + detail);
    } catch (...) {
    }
}

}  // namespace

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        Report(QStringLiteral("Не хватает памяти."));
    } catch (const std::exception& e) {
        Report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Report(QString());
    }
    return false;
}

}  // namespace tarvik::shell
