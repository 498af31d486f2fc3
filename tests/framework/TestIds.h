// Resource numbers of the framework tests' own snap-in. Only #define lines:
// the resource compiler reads this file.
// Block: 19000-19099
#pragma once

#define IDS_TEST_SNAPIN           19001
#define ID_TEST_REFRESH           19010
#define ID_TEST_VIEWS             19011
#define ID_TEST_PROPERTIES        19012
#define IDS_TEST_CAPTION          19020
#define IDS_TEST_NO_TOOLTIP       19021
#define IDS_TEST_LIST_FAILED      19022
#define IDS_TEST_COLUMN_NAME      19030
#define IDS_TEST_COLUMN_SIZE      19031
