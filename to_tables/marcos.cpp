#include "to_tables/marcos.h"

#include "core/mensajes.h"
#include "exchange/documento.h"
#include "exchange/texto.h"

namespace to_tables {

DatosMarcos LeerMarcos(const std::filesystem::path& documento) {
    DatosMarcos datos;
    try {
        exchange::Documento doc;
        if (!doc.Cargar(documento)) return datos;
        datos.cargado = true;
        using exchange::LeerDatoSinRecortar;
        for (const auto& r : exchange::LeerBloque(doc, "JORNADAS_ESCOLARES"))
            datos.marcos.push_back(MarcoHorario{LeerDatoSinRecortar(r, 0), LeerDatoSinRecortar(r, 1),
                                                LeerDatoSinRecortar(r, 2), LeerDatoSinRecortar(r, 3)});
        for (const auto& r : exchange::LeerBloque(doc, "TRAMOS_HORARIOS"))
            datos.tramos.push_back(DatosMarcos::Tramo{LeerDatoSinRecortar(r, 4), LeerDatoSinRecortar(r, 1)});
    } catch (const std::exception&) {
        return DatosMarcos{};
    }
    return datos;
}

std::vector<std::string> CodigosParaLista(const DatosMarcos& datos) {
    std::vector<std::string> codigos;
    if (datos.marcos.size() > 1)
        for (const auto& m : datos.marcos) codigos.push_back(m.codigo);
    return codigos;
}

DetalleMarco Detalle(const DatosMarcos& datos, const std::string& codigoActual) {
    DetalleMarco d;
    if (datos.marcos.size() > 1) {
        // Every record is visited: with two records of one code the later shows.
        for (const auto& m : datos.marcos) {
            if (m.codigo != codigoActual) continue;
            d.nombre = m.nombre;
            d.fechaInicio = m.fechaInicio;
            d.fechaFin = m.fechaFin;
        }
    }
    if (datos.tramos.size() > 1)
        for (const auto& t : datos.tramos)
            if (t.marco == codigoActual) d.etiquetas.push_back(t.etiqueta);
    return d;
}

core::EleccionMarcos CerrarSeleccion(const std::vector<std::string>& entradas,
                                     const std::vector<bool>& seleccionados, std::string& mensaje) {
    core::EleccionMarcos r;
    r.SeleccionValida = true;
    r.SinOpciones = entradas.empty();
    mensaje.clear();
    std::size_t cuantos = 0;
    for (std::size_t i = 0; i < entradas.size() && i < seleccionados.size(); ++i)
        if (seleccionados[i]) ++cuantos;
    if (cuantos > 2) {
        mensaje = core::mensajes::kDemasiadosMarcos;
        r.SeleccionValida = false;
    } else if (cuantos == 0) {
        mensaje = core::mensajes::kAlMenosUnMarco;
        r.SeleccionValida = false;
    }
    // One piece of exactly 10 characters per selected entry, in list order.
    for (std::size_t i = 0; i < entradas.size() && i < seleccionados.size(); ++i)
        if (seleccionados[i]) r.MarcosSeleccionados += exchange::Izquierda(entradas[i] + std::string(10, ' '), 10);
    return r;
}

}  // namespace to_tables
