# The notification area: its interface and the Linux implementation on QSystemTrayIcon.
target_sources(toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/notifyarea.h
  ${CMAKE_CURRENT_LIST_DIR}/notifyarea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/notifyarea_qt.cpp
)
