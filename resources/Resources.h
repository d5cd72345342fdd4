#pragma once
// The dialog templates and string tables of each program. A program registers its own set
// once, before it creates its first window; false means a template did not parse (the message
// on stderr names it), which the tests catch.

bool RegisterVelkaroResources();
bool RegisterDurmittResources();
