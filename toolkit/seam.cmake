# The seam between the toolkit's model and Qt: the platform interfaces, the value types
# they use and the control model's headers must compile with no Qt header in reach, so
# that another window system can implement them. Each header below is compiled alone, in
# a file of its own, by a library that sees the core, platform, text, media, threads,
# graphics, widgetset and controls folders and nothing of Qt; a Qt include (or a header
# that needs one) stops the build. Headers under platform/linux/ and widgetset/qt/ are
# Qt's side and stay out. A new interface header is added to this list.
set(VELUDOR_SEAM_HEADERS
  core/types.h core/tstring.h core/filepath.h core/datetimevalue.h core/bitmap32.h core/icon.h core/region.h
  core/log.h
  core/sysutils.h core/classes.h core/messages.h widgetset/widgetset.h text/datetime.h text/profile.h media/mediaplayer.h
  media/messagebeep.h threads/thread.h graphics/graphicerror.h graphics/bmpdecoder.h
  graphics/jpegdecoder.h graphics/pngdecoder.h graphics/icondecoder.h graphics/picture.h
  controls/application.h controls/controls.h controls/dialogs.h controls/extctrls.h
  controls/forms.h controls/graphics.h controls/imglist.h controls/menus.h
  controls/secondbeat.h controls/spin.h controls/stdctrls.h
  platform/audio.h platform/clocksource.h platform/displayplatform.h platform/errorbox.h
  platform/filesearch.h platform/fonts.h platform/locale.h platform/mousemessages.h platform/notifyarea.h
  platform/power.h platform/screen.h platform/serviceslot.h platform/shell.h
  platform/taskbar.h platform/threadpriority.h platform/wakecounter.h platform/windowmanager.h platform/workarea.h
)
set(checks)
foreach(header ${VELUDOR_SEAM_HEADERS})
  string(MAKE_C_IDENTIFIER ${header} name)
  set(check ${CMAKE_BINARY_DIR}/seam_check/${name}.cpp)
  file(CONFIGURE OUTPUT ${check} CONTENT "#include \"toolkit/${header}\"\n")
  list(APPEND checks ${check})
endforeach()
add_library(toolkit_seam_check OBJECT ${checks})
set_target_properties(toolkit_seam_check PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
target_include_directories(toolkit_seam_check PRIVATE
  ${CMAKE_BINARY_DIR}/toolkit_layers/core ${CMAKE_BINARY_DIR}/toolkit_layers/platform
  ${CMAKE_BINARY_DIR}/toolkit_layers/text ${CMAKE_BINARY_DIR}/toolkit_layers/media
  ${CMAKE_BINARY_DIR}/toolkit_layers/threads ${CMAKE_BINARY_DIR}/toolkit_layers/graphics
  ${CMAKE_BINARY_DIR}/toolkit_layers/widgetset ${CMAKE_BINARY_DIR}/toolkit_layers/controls)
