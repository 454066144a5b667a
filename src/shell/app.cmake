# The Qt side of the shell: entry, main window, real clock. Built into korvel_app.
add_library(korvel_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Program.cpp
)
target_include_directories(korvel_app PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvel_app PUBLIC korvel_common korvel_rules korvel_formats korvel_audio
  korvel_opponent
  Qt6::Widgets)
