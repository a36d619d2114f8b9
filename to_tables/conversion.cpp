#include "to_tables/conversion.h"

#include <new>
#include <optional>

#include "core/mensajes.h"
#include "exchange/documento.h"
#include "tables/archivos.h"
#include "to_tables/pasos.h"
#include "to_tables/traslado.h"

namespace fs = std::filesystem;

namespace to_tables {

namespace {

void VaciarConjuntos(core::EstadoVentana& e) {
    e.ListaCodigos.Vaciar();
    e.ListaCodLargos.Vaciar();
    e.ListaNombres.Vaciar();
    e.ListaCodLargoNombre.Vaciar();
}

}  // namespace

core::FinEjecucion BExportarClick(core::EstadoVentana& estado, core::Interaccion& ui,
                                  const OpcionesConversion& opciones) {
    namespace msg = core::mensajes;
    bool ocupado = false;
    auto terminar = [&](core::FinEjecucion fin, const std::string& texto) {
        if (ocupado) ui.Ocupado(false);
        ocupado = false;
        if (fin == core::FinEjecucion::Error)
            ui.Error(texto);
        else
            ui.Mensaje(texto);
        return fin;
    };
    try {
        VaciarConjuntos(estado);
        // A cancelled dialog keeps the document chosen before.
        if (auto elegido = ui.ElegirDocumento()) estado.ArchivoXML = *elegido;
        std::error_code ec;
        if (estado.ArchivoXML.empty() || !fs::is_regular_file(estado.ArchivoXML, ec)) {
            if (estado.Hospedado()) estado.CodigoResultado = -1;
            return terminar(core::FinEjecucion::SinDocumento, msg::kNoExisteArchivo);
        }
        if (opciones.tablaReferencia.empty() || !fs::is_regular_file(opciones.tablaReferencia, ec))
            return terminar(core::FinEjecucion::Detenido, msg::kFaltaNivellari);

        tablas::ComprobarCarpetaTrabajo(opciones.carpetaTrabajo);
        RecuperarInterrumpidos(opciones.carpetaTrabajo);

        // The document of this run; the previous run's was released with it.
        exchange::Documento documento;
        if (auto carga = documento.Cargar(estado.ArchivoXML); !carga)
            return terminar(core::FinEjecucion::Error, carga.mensaje);

        ui.Ocupado(true);
        ocupado = true;
        core::RelojSistema relojSistema;
        const core::Reloj& reloj = opciones.reloj ? *opciones.reloj : relojSistema;
        Traslado traslado(opciones.carpetaTrabajo);
        Contexto ctx{documento, traslado.Provisional(), opciones.tablaReferencia, reloj, estado, ui};
        for (const Paso& paso : PasosConversion()) paso.ejecutar(ctx);
        traslado.Confirmar();

        ui.Ocupado(false);
        ocupado = false;
        estado.CodigoResultado = 1;
        ui.Mensaje(msg::kProcesoFinalizado);
        return core::FinEjecucion::Finalizado;
    } catch (const ConversionDetenida& e) {
        return terminar(core::FinEjecucion::Detenido, e.what());
    } catch (const core::ErrorEjecucion& e) {
        return terminar(core::FinEjecucion::Error, e.what());
    } catch (const fs::filesystem_error& e) {
        std::string texto = "Error de archivo";
        if (!e.path1().empty()) texto += " en " + TextoRuta(e.path1());
        return terminar(core::FinEjecucion::Error, texto + ": " + RazonSistema(e.code()) + ".");
    } catch (const std::bad_alloc&) {
        return terminar(core::FinEjecucion::Error,
                        "No hay memoria suficiente para terminar la conversi\xF3n. No se ha cambiado nada.");
    } catch (const std::exception& e) {
        return terminar(core::FinEjecucion::Error,
                        std::string("Error inesperado: ") + e.what() + ". No se ha cambiado nada.");
    }
}

}  // namespace to_tables
