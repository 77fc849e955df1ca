# The notification area: its interface and the Linux implementation, a
# StatusNotifierItem with its D-Bus menu for hosts on the session bus and QSystemTrayIcon
# for X11 trays.
target_sources(toolkit_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/notifyarea.h
  ${CMAKE_CURRENT_LIST_DIR}/notifyarea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/notifyarea_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/notifyiconevent.h
  ${CMAKE_CURRENT_LIST_DIR}/linux/notifyiconevent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/sni_item.h
  ${CMAKE_CURRENT_LIST_DIR}/linux/sni_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/dbusmenu.h
  ${CMAKE_CURRENT_LIST_DIR}/linux/dbusmenu.cpp
)
