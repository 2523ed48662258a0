list(APPEND QM_PURE_SOURCES about/dlgtemplate.cpp about/handcursor.cpp)
list(APPEND QM_GLUE_SOURCES about/aboutbox.cpp about/linklabel.cpp)
