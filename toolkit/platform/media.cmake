# Sound output and the power-off request: interfaces and their Linux implementations.
target_sources(toolkit_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/audio.h
  ${CMAKE_CURRENT_LIST_DIR}/power.h
  ${CMAKE_CURRENT_LIST_DIR}/linux/audio_sdl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/sdl_ondemand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux/power_logind.cpp
)
