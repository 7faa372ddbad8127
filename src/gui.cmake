# The windows: Qt Widgets on top of the core.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
set(CMAKE_AUTOMOC ON)

add_library(wordloom_gui STATIC
  services/ui.cpp services/ui.h
  services/ui_controls.cpp services/ui_controls.h
  services/ui_grid.cpp services/ui_grid.h
  app/advertisement.cpp app/advertisement.h
  app/main_window.cpp app/main_window.h
  app/prepared_document.cpp app/prepared_document.h
  app/preview_window.cpp app/preview_window.h
  app/store_check_window.cpp app/store_check_window.h
  app/window_openers.cpp app/window_openers.h
  batch/batch_window.cpp batch/batch_window.h
  libraries/library_form.cpp libraries/library_form.h
  libraries/library_manager_window.cpp libraries/library_manager_window.h
  libraries/library_messages.cpp libraries/library_messages.h
  libraries/new_library_window.cpp libraries/new_library_window.h
  templates/template_authoring_panel.cpp templates/template_authoring_panel.h
  templates/template_box.cpp templates/template_box.h
  templates/template_editor_window.cpp templates/template_editor_window.h
  templates/template_file_messages.cpp templates/template_file_messages.h
  templates/template_file_text.cpp templates/template_file_text.h
  templates/template_manager_window.cpp templates/template_manager_window.h
  templates/template_snippets.cpp templates/template_snippets.h
  sentences/import_window.cpp sentences/import_window.h
  sentences/line_change.cpp sentences/line_change.h
  sentences/line_grid_model.cpp sentences/line_grid_model.h
  sentences/sentence_cell_editor.cpp sentences/sentence_cell_editor.h
  sentences/sentence_manager_window.cpp sentences/sentence_manager_window.h
  sentences/text_entry_window.cpp sentences/text_entry_window.h
)
target_link_libraries(wordloom_gui PUBLIC wordloom_core wordloom_import Qt6::Widgets Qt6::Network)

add_executable(wordloom app/main.cpp)
target_link_libraries(wordloom PRIVATE wordloom_gui)
set_target_properties(wordloom PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
wordloom_lay_demo_store(wordloom)
