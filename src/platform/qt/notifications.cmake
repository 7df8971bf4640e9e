# Desktop notifications over D-Bus.
target_sources(tidewaterlink_qt PRIVATE freedesktop_notification_center.cpp)
