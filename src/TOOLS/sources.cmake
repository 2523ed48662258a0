list(APPEND QM_PURE_SOURCES TOOLS/tooltext.cpp TOOLS/toolwindrules.cpp TOOLS/clipmarks.cpp
     TOOLS/toolinirules.cpp)
list(APPEND QM_GLUE_SOURCES TOOLS/toolsys.cpp TOOLS/toolwind.cpp TOOLS/toolini.cpp)
