# Interface components: centred single-line fields, the pointing-hand style,
# the row painter, the fade animator, and the client's artwork and desktop
# integration.
target_sources(tidewaterlink_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/centred_line_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/custom_text_field_cell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/custom_security_cell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pointing_hand_style.cpp
  ${CMAKE_CURRENT_LIST_DIR}/my_row_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/my_custom_fade_animator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/interface_components.cpp
  ${PROJECT_SOURCE_DIR}/resources/images.qrc)

# Desktop integration: the launcher entry, the listing software centres show,
# and the application icon at the sizes desktops look for.
install(FILES ${PROJECT_SOURCE_DIR}/resources/tidewaterlink.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/example.tidewaterlink.Tidewaterlink.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/${size}x${size}/apps/tidewaterlink.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
