#include "game/PlayerServices.h"

CPPlayerServices& GetPlayerServices()
{
    static CPPlayerServices services;
    return services;
}
