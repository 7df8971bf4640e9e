# The desktop shell: view facades over widgets, the storyboard's layouts,
# windows, alerts, the tray, single instance and the quit path.
target_sources(tidewaterlink_qt PRIVATE
  busy_spinner.cpp
  desktop_shell.cpp
  hover_tracker.cpp
  plain_text_label.cpp
  qt_alert_presenter.cpp
  qt_button.cpp
  qt_conversions.cpp
  qt_image_view.cpp
  qt_layer.cpp
  qt_layouts.cpp
  qt_outlet_binder.cpp
  qt_root_view.cpp
  qt_status_bar.cpp
  qt_status_bar_button.cpp
  qt_status_item.cpp
  qt_text_field.cpp
  qt_view_base.cpp
  qt_window.cpp
  qt_workspace.cpp
  quit_signals.cpp
  shell_window_widget.cpp
  single_instance.cpp
  ${PROJECT_SOURCE_DIR}/resources/layouts/dialog_controller.ui
  ${PROJECT_SOURCE_DIR}/resources/layouts/login_controller.ui
  ${PROJECT_SOURCE_DIR}/resources/layouts/main_controller.ui
  ${PROJECT_SOURCE_DIR}/resources/layouts/setting_controller.ui)
set_property(TARGET tidewaterlink_qt APPEND PROPERTY
  AUTOUIC_SEARCH_PATHS ${PROJECT_SOURCE_DIR}/resources/layouts)

# The single-instance socket.
find_package(Qt6 REQUIRED COMPONENTS Network)
target_link_libraries(tidewaterlink_qt PUBLIC Qt6::Network)
