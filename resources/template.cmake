# The spreadsheet template table.xlsx, zipped from its XML parts in table/ so that the source
# stays reviewable text. Included by resources/CMakeLists.txt.
set(kv_table_parts
  "[Content_Types].xml"
  _rels/.rels
  xl/workbook.xml
  xl/_rels/workbook.xml.rels
  xl/styles.xml
  xl/worksheets/sheet1.xml)
set(kv_table_sources)
foreach(part IN LISTS kv_table_parts)
  list(APPEND kv_table_sources "${CMAKE_CURRENT_SOURCE_DIR}/table/${part}")
endforeach()
add_custom_command(
  OUTPUT ${KV_PROGRAM_DIR}/table.xlsx
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KV_PROGRAM_DIR}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${KV_PROGRAM_DIR}/table.xlsx --format=zip
          "--mtime=2024-01-01 00:00:00 UTC" -- ${kv_table_parts}
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/table
  DEPENDS ${kv_table_sources} ${CMAKE_CURRENT_SOURCE_DIR}/template.cmake
  COMMENT "Packing the spreadsheet template")
list(APPEND KV_PROGRAM_FILES ${KV_PROGRAM_DIR}/table.xlsx)
