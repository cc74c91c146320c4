#pragma once

// Everything a test needs: the widget helpers too when it links widgets.
#include "TestCore.h"
#ifdef QT_WIDGETS_LIB
#include "TestWidgets.h"
#else
#define PAGELORE_TEST_MAIN(TestObject) PAGELORE_CORE_TEST_MAIN(TestObject)
#endif
