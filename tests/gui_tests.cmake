# Window tests: the real windows, driven by objectName, one QApplication per process.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_library(testsupport_gui STATIC support/gui_support.cpp support/gui_test_main.cpp)
target_link_libraries(testsupport_gui PUBLIC testsupport wordloom_gui Qt6::Test)

add_executable(gui_tests
  gui/app/main_window_test.cpp
  gui/batch/batch_window_test.cpp
  gui/app/store_check_window_test.cpp
  gui/libraries/library_manager_window_test.cpp
  gui/libraries/new_library_window_test.cpp
  gui/sentences/library_transfer_test.cpp
  gui/sentences/line_editing_test.cpp
  gui/sentences/sentence_manager_window_test.cpp
  gui/services/ui_services_test.cpp
  gui/templates/template_authoring_panel_test.cpp
  gui/templates/template_editor_window_test.cpp
  gui/templates/template_file_text_test.cpp
  gui/templates/template_manager_window_test.cpp
)
target_link_libraries(gui_tests PRIVATE testsupport_gui)
gtest_discover_tests(gui_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp")
