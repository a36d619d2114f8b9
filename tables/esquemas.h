#pragma once
// The schemas of the working tables and of the reference table, declared once.
#include <vector>

#include "tables/tabla.h"

namespace tablas::esquemas {

const Esquema& ASIGNOMT();
const Esquema& ASIGNOMT2();
const Esquema& PROFT();
const Esquema& AULAT();
const Esquema& CURSOST();
const Esquema& GRUPOST();
const Esquema& ASIGT();
const Esquema& DIASHORAST();
const Esquema& DIASHORAST2();   // DIASHORAST's fields + ORDEN, index ORDEN
const Esquema& PERIODOS();
const Esquema& NIVELLARI();     // level 7: X_OFERTAMATRIG, NIVEL_ABREV, ESTUDIO

// The ten working tables, in the order a document-to-tables run creates them.
const std::vector<const Esquema*>& Trabajo();

}  // namespace tablas::esquemas
