# Desktop notifications, NetworkManager and logind's sleep, over D-Bus.
target_sources(tidewaterlink_qt PRIVATE
  freedesktop_notification_center.cpp
  logind_sleep_watch.cpp
  network_manager_bus_watch.cpp)
