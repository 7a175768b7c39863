// The task-bar progress as a task bar sees it: Update signals on a private session bus.
#include "app/qt/taskbar_progress.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

using namespace quill;
using State = transfer::TransferProgress::State;

class UpdateListener : public QObject {
    Q_OBJECT
  public:
    QList<QVariantMap> updates;
    QStringList uris;
  public slots:
    void onUpdate(const QString& uri, const QVariantMap& properties) {
        uris << uri;
        updates << properties;
    }
};

// Run by CTest in a session bus of its own (dbus-run-session).
class TaskbarProgressTest : public QObject {
    Q_OBJECT

  private slots:
    void updatesFollowTheTransferAndHideAtTheEnd() {
        QDBusConnection sender = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "sender");
        QDBusConnection receiver = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "receiver");
        QVERIFY(sender.isConnected() && receiver.isConnected());
        UpdateListener listener;
        QVERIFY(receiver.connect(QString(), QString(), app::qt::TaskbarProgress::interfaceName(),
                                 QStringLiteral("Update"), &listener, SLOT(onUpdate(QString, QVariantMap))));
        // A round trip: the bus has taken the match rule before the first update is sent.
        QVERIFY(receiver.interface()->isServiceRegistered(receiver.baseService()));

        app::qt::TaskbarProgress progress(sender, QStringLiteral("quillpost.desktop"));
        progress.show({State::Normal, 0, 4});
        progress.show({State::Normal, 0, 4});  // unchanged: no second message
        progress.show({State::Normal, 2, 4});
        progress.show({State::Paused, 2, 4});  // paused keeps its value: nothing new to show
        progress.show({State::None, 0, 0});

        QTRY_COMPARE_WITH_TIMEOUT(listener.updates.size(), 3, 5000);
        QCOMPARE(listener.uris.first(), QStringLiteral("application://quillpost.desktop"));
        QCOMPARE(listener.updates[0].value(QStringLiteral("progress-visible")).toBool(), true);
        QCOMPARE(listener.updates[0].value(QStringLiteral("progress")).toDouble(), 0.0);
        QCOMPARE(listener.updates[1].value(QStringLiteral("progress")).toDouble(), 0.5);
        QCOMPARE(listener.updates[2].value(QStringLiteral("progress-visible")).toBool(), false);
        QTest::qWait(100);
        QCOMPARE(listener.updates.size(), 3);
    }

    void noBusMeansNoErrorAndNothingSent() {
        QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                             QStringLiteral("none"));
        QVERIFY(!none.isConnected());
        app::qt::TaskbarProgress progress(none);
        progress.show({State::Normal, 1, 2});
        progress.show({State::None, 0, 0});
    }
};

QTEST_GUILESS_MAIN(TaskbarProgressTest)
#include "taskbar_progress_test.moc"
