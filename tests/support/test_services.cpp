#include "support/test_services.h"

namespace tessivar::test {

OtherSeams &sharedSeams()
{
  static OtherSeams seams;
  return seams;
}

}  // namespace tessivar::test
