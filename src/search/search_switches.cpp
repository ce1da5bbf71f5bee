#include "search/search_switches.h"

#include <cmath>

namespace tarn {

SearchSwitches searchSwitches;
int lmrTable[128][128];
int lmpCount[2][10];

void initSearchTables() {
  for (int d = 0; d < 128; ++d)
    for (int n = 0; n < 128; ++n)
      lmrTable[d][n] = d && n ? int(std::lround(0.5 * std::log(double(d)) * std::log(double(n)))) + 1 : 0;
  for (int d = 0; d < 10; ++d) {
    lmpCount[0][d] = 2 + d * d / 2;
    lmpCount[1][d] = 4 + int(std::pow(float(d), 2.2f) / 2.0f);
  }
}

}  // namespace tarn
