#include "import_request.h"

ImportRequestRecord ImportRequest;
