// Resource identifiers shared by the resource script and the widget peers.
#pragma once
#define IDI_NIVORA 100
