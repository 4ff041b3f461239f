#include "portwatcher.h"

#ifdef TAVIX_HAVE_LIBUDEV
#include <QSocketNotifier>

#include <libudev.h>

struct SerialPortWatcher::Monitor
{
    udev *context = nullptr;
    udev_monitor *monitor = nullptr;
    QSocketNotifier *notifier = nullptr;

    ~Monitor()
    {
        delete notifier;
        if (monitor)
            udev_monitor_unref(monitor);
        if (context)
            udev_unref(context);
    }
};

SerialPortWatcher::SerialPortWatcher(QObject *parent) : QObject(parent)
{
    auto monitor = std::make_unique<Monitor>();
    monitor->context = udev_new();
    if (!monitor->context)
        return;
    monitor->monitor = udev_monitor_new_from_netlink(monitor->context, "udev");
    if (!monitor->monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor->monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(monitor->monitor);
    if (fd < 0)
        return;
    monitor->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    udev_monitor *events = monitor->monitor;
    connect(monitor->notifier, &QSocketNotifier::activated, this, [this, events] {
        // Every pending event is taken, so the notifier does not fire again for it.
        bool serial = false;
        while (udev_device *device = udev_monitor_receive_device(events)) {
            const char *action = udev_device_get_action(device);
            if (action && (qstrcmp(action, "add") == 0 || qstrcmp(action, "remove") == 0))
                serial = true;
            udev_device_unref(device);
        }
        if (serial)
            Q_EMIT portsChanged();
    });
    m_monitor = std::move(monitor);
}

bool SerialPortWatcher::watching() const
{
    return m_monitor != nullptr;
}

#else

struct SerialPortWatcher::Monitor
{
};

SerialPortWatcher::SerialPortWatcher(QObject *parent) : QObject(parent)
{
}

bool SerialPortWatcher::watching() const
{
    return false;
}

#endif

SerialPortWatcher::~SerialPortWatcher() = default;
