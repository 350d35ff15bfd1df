// cr80demo: prints sample certificate cards through an outside CR80 printer SDK found
// below the working directory.
#include "Cr80Console.h"

int main() {
    return runCr80Demo();
}
