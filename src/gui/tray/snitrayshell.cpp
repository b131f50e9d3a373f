// The tray as a StatusNotifierItem of the program's own on the session bus. Qt's tray asks once at
// start whether a host exists; this item follows the watcher instead: it registers when the watcher
// appears after the program and again when it comes back after a panel restart. Balloons are the
// program's notices, one at a time, as a tray icon has one balloon. Nothing of QtDBus is seen outside
// this file.
#include "gui/tray/notifyrecord.h"
#include "gui/tray/trayshell.h"
#include "platform/desktopnotices.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <QtEndian>

namespace cw::sni {

struct Pixmap {
    int width = 0;
    int height = 0;
    QByteArray argb; // ARGB32 in network byte order
};
using Pixmaps = QList<Pixmap>;
struct ToolTip {
    QString iconName;
    Pixmaps pixmaps;
    QString title;
    QString text;
};

QDBusArgument& operator<<(QDBusArgument& out, const Pixmap& pixmap) {
    out.beginStructure();
    out << pixmap.width << pixmap.height << pixmap.argb;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, Pixmap& pixmap) {
    in.beginStructure();
    in >> pixmap.width >> pixmap.height >> pixmap.argb;
    in.endStructure();
    return in;
}
QDBusArgument& operator<<(QDBusArgument& out, const ToolTip& tip) {
    out.beginStructure();
    out << tip.iconName << tip.pixmaps << tip.title << tip.text;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, ToolTip& tip) {
    in.beginStructure();
    in >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    in.endStructure();
    return in;
}

} // namespace cw::sni

Q_DECLARE_METATYPE(cw::sni::Pixmap)
Q_DECLARE_METATYPE(cw::sni::ToolTip)

namespace cw {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
constexpr int busTimeoutMilliseconds = 2000;

sni::Pixmaps pixmapsOf(const QIcon& icon) {
    sni::Pixmaps pixmaps;
    if (icon.isNull())
        return pixmaps;
    for (const int side : {16, 22, 32, 48, 64}) {
        const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        sni::Pixmap pixmap{image.width(), image.height(),
                           QByteArray(int(image.sizeInBytes()), Qt::Uninitialized)};
        auto* out = reinterpret_cast<quint32*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps << pixmap;
    }
    return pixmaps;
}

QDBusMessage watcherPropertyCall(const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << watcherService << name;
    return call;
}

bool hostRegisteredIn(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().at(0).value<QDBusVariant>().variant().toBool();
}

} // namespace

class StatusNotifierShell;

// The item's interface as the host sees it; everything it answers comes from the shell.
class ItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(cw::sni::Pixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(cw::sni::ToolTip ToolTip READ ToolTip)

  public:
    ItemAdaptor(QObject* item, StatusNotifierShell& shell) : QDBusAbstractAdaptor(item), shell_(shell) {}

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName(); }
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    bool ItemIsMenu() const { return false; }
    QString IconName() const;
    sni::Pixmaps IconPixmap() const;
    sni::ToolTip ToolTip() const;

  public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int, const QString&) {}

  signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

  private:
    StatusNotifierShell& shell_;
};

class StatusNotifierShell : public IconTrayShell {
    Q_OBJECT
  public:
    StatusNotifierShell()
        : bus_(QDBusConnection::sessionBus()), serviceName_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                                                .arg(QCoreApplication::applicationPid())
                                                                .arg(++instances_)),
          adaptor_(new ItemAdaptor(&item_, *this)), watcher_(watcherService, bus_) {
        connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            announce();
            checkHost();
        });
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this] { setHostPresent(false); });
        for (const char* name : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus_.connect(watcherService, watcherPath, watcherService, QLatin1String(name), this,
                         SLOT(checkHost()));
        hostPresent_ = statusNotifierHostPresent();
    }
    ~StatusNotifierShell() override { withdraw(); }

    bool isAvailable() const override { return hostPresent_; }
    bool supportsMessages() const override {
        return bus_.isConnected() && bus_.interface()->isServiceRegistered(notificationsService);
    }

    void click(int down, int up) { report(down, up); }
    QIcon icon_;
    QString tip_;

  private slots:
    void checkHost() {
        auto* pending = new QDBusPendingCallWatcher(
            bus_.asyncCall(watcherPropertyCall(QStringLiteral("IsStatusNotifierHostRegistered")),
                           busTimeoutMilliseconds),
            this);
        connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
            pending->deleteLater();
            setHostPresent(hostRegisteredIn(pending->reply()));
        });
    }

  private:
    void apply(const NotifyIconData& data) override {
        if (data.uFlags & NIF_ICON) {
            icon_ = data.hIcon;
            emit adaptor_->NewIcon();
        }
        if (data.uFlags & NIF_TIP) {
            tip_ = fieldText(data.szTip);
            emit adaptor_->NewToolTip();
        }
    }

    void showIcon() override { publish(); }
    void hideIcon() override { withdraw(); }

    void publish() {
        if (published_ || !bus_.isConnected())
            return;
        published_ = bus_.registerObject(itemPath, &item_, QDBusConnection::ExportAdaptors) &&
                     bus_.registerService(serviceName_);
        announce();
    }

    void withdraw() {
        if (!published_)
            return;
        bus_.unregisterService(serviceName_);
        bus_.unregisterObject(itemPath);
        published_ = false;
    }

    // Tells the watcher about the item; done again each time a watcher appears.
    void announce() {
        if (!published_)
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                           QStringLiteral("RegisterStatusNotifierItem"));
        call << serviceName_;
        bus_.call(call, QDBus::NoBlock);
    }

    void setHostPresent(bool present) {
        if (present == hostPresent_)
            return;
        hostPresent_ = present;
        emit availabilityChanged(present);
    }

    void showMessage(const QString& title, const QString& text, int milliseconds) override {
        balloons_.post({.summary = title, .body = text, .expireMilliseconds = milliseconds});
    }

    static inline int instances_ = 0;
    QDBusConnection bus_;
    const QString serviceName_;
    QObject item_;
    ItemAdaptor* adaptor_; // owned by item_
    QDBusServiceWatcher watcher_;
    DesktopNotices balloons_;
    bool published_ = false;
    bool hostPresent_ = false;
};

QString ItemAdaptor::Title() const {
    return QGuiApplication::applicationDisplayName();
}
QString ItemAdaptor::IconName() const {
    return shell_.icon_.name();
}
sni::Pixmaps ItemAdaptor::IconPixmap() const {
    return pixmapsOf(shell_.icon_);
}
sni::ToolTip ItemAdaptor::ToolTip() const {
    return {IconName(), {}, shell_.tip_, {}};
}
void ItemAdaptor::Activate(int, int) {
    shell_.click(WM_LBUTTONDOWN, WM_LBUTTONUP);
}
void ItemAdaptor::SecondaryActivate(int, int) {
    shell_.click(WM_LBUTTONDOWN, WM_LBUTTONUP);
}
void ItemAdaptor::ContextMenu(int, int) {
    shell_.click(WM_RBUTTONDOWN, WM_RBUTTONUP);
}

bool statusNotifierHostPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcherService))
        return false;
    return hostRegisteredIn(bus.call(watcherPropertyCall(QStringLiteral("IsStatusNotifierHostRegistered")),
                                     QDBus::Block, busTimeoutMilliseconds));
}

std::unique_ptr<TrayShell> createStatusNotifierShell() {
    static const bool typesKnown = [] {
        qDBusRegisterMetaType<sni::Pixmap>();
        qDBusRegisterMetaType<sni::Pixmaps>();
        qDBusRegisterMetaType<sni::ToolTip>();
        return true;
    }();
    Q_UNUSED(typesKnown);
    return std::make_unique<StatusNotifierShell>();
}

} // namespace cw

#include "snitrayshell.moc"
