list(APPEND QM_PURE_SOURCES search/searchrules.cpp)
list(APPEND QM_GLUE_SOURCES search/searchwindow.cpp)
