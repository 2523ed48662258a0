list(APPEND QM_PURE_SOURCES editpad/padrules.cpp)
list(APPEND QM_GLUE_SOURCES editpad/editpad.cpp editpad/padfile.cpp)
