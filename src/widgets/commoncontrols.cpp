#include "commoncontrols.h"

bool InitCommonControlsEx(const InitCommonControlsExRecord &record)
{
    return record.dwSize == sizeof(InitCommonControlsExRecord);
}
