#include "app/qt/taskbar_progress.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QVariantMap>
#include <cmath>

namespace quill::app::qt {

TaskbarProgress::TaskbarProgress(QDBusConnection bus, const QString& desktopFile)
    : bus_(std::move(bus)),
      appUri_(QStringLiteral("application://") + desktopFile),
      objectPath_(QStringLiteral("/org/quillpost/launcherentry/%1").arg(QCoreApplication::applicationPid())) {
}

void TaskbarProgress::show(const transfer::TransferProgress& progress) {
    const bool visible = progress.state != transfer::TransferProgress::State::None;
    // A step below a tenth of a percent is not worth a message on the bus (a 1 MB text would
    // otherwise send one per character).
    const double fraction = visible ? std::floor(progress.fraction() * 1000.0) / 1000.0 : 0.0;
    if (visible == visible_ && (!visible || fraction == shownFraction_)) return;
    visible_ = visible;
    shownFraction_ = fraction;
    if (!bus_.isConnected()) return;

    QVariantMap properties;
    properties.insert(QStringLiteral("progress-visible"), visible);
    if (visible) properties.insert(QStringLiteral("progress"), fraction);
    QDBusMessage signal = QDBusMessage::createSignal(objectPath_, interfaceName(), QStringLiteral("Update"));
    signal << appUri_ << properties;
    bus_.send(signal);
}

}  // namespace quill::app::qt
