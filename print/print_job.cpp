#include "print_job.h"

PrintJobRecord PrintJob;
