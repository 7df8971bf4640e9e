# Desktop notifications and NetworkManager, over D-Bus.
target_sources(tidewaterlink_qt PRIVATE
  freedesktop_notification_center.cpp
  network_manager_bus_watch.cpp)
