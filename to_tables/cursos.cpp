// Courses and groups (CURSOST, GRUPOST) and teaching assignments (ASIGT).
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "exchange/ansi.h"
#include "exchange/texto.h"
#include "tables/esquemas.h"
#include "to_tables/codigos.h"
#include "to_tables/pasos.h"

namespace to_tables {

using namespace exchange;
using detalle::Almacenado;
using detalle::Ancho;
using detalle::Pos;

namespace {

// A numeric field's text as a whole number ("7", "  7", "7.00"); nullopt when
// empty or not whole.
std::optional<std::int64_t> NumeroEntero(const std::string& texto) {
    const std::string t = QuitarEspacios(texto);
    if (t.empty()) return std::nullopt;
    double v = 0;
    const char* ini = t.data();
    const char* fin = t.data() + t.size();
    if (*ini == '+') ++ini;
    auto [p, ec] = std::from_chars(ini, fin, v);
    if (ec != std::errc() || p != fin || !std::isfinite(v) || std::floor(v) != v) return std::nullopt;
    if (v < -9.0e15 || v > 9.0e15) return std::nullopt;
    return static_cast<std::int64_t>(v);
}

struct Nivel { std::string abreviatura, estudio; };

// The reference table by course number: the first row for each number.
std::unordered_map<std::int64_t, Nivel> LeerReferencia(const std::filesystem::path& archivo) {
    tablas::Tabla ref = tablas::Tabla::Abrir(archivo, tablas::Acceso::Compartido);
    const int cNum = ref.IndiceCampo("X_OFERTAMATRIG");
    const int cNivel = ref.IndiceCampo("NIVEL_ABREV");
    const int cEstudio = ref.IndiceCampo("ESTUDIO");
    for (auto [campo, nombre] : {std::pair{cNum, "X_OFERTAMATRIG"}, std::pair{cNivel, "NIVEL_ABREV"},
                                 std::pair{cEstudio, "ESTUDIO"}}) {
        if (campo < 0)
            throw tablas::ErrorTabla("La tabla de referencia " +
                                     Utf8AAnsi(reinterpret_cast<const char*>(archivo.u8string().c_str())) +
                                     " no tiene el campo " + nombre);
    }
    std::unordered_map<std::int64_t, Nivel> mapa;
    for (ref.Primero(); !ref.FinDeTabla(); ref.Siguiente()) {
        auto numero = NumeroEntero(ref.LeerTexto(cNum));
        if (!numero || mapa.count(*numero)) continue;
        mapa.emplace(*numero, Nivel{ref.LeerTexto(cNivel), ref.LeerTexto(cEstudio)});
    }
    ref.Cerrar();
    return mapa;
}

}  // namespace

void TransformarCursosUnidades(Contexto& ctx) {
    const auto& esqCursos = tablas::esquemas::CURSOST();
    tablas::Tabla::Crear(ctx.carpeta, esqCursos, ctx.reloj);
    tablas::Tabla::Crear(ctx.carpeta, tablas::esquemas::GRUPOST(), ctx.reloj);
    ConjuntoCodigos codigos(Comparacion::IgnorarCase);
    CodigosUnicos unicos(codigos);

    // Course pass. CURSOST by CLAVE: the first row's NIVEL, CURSO and ESTUD,
    // as the table stores them.
    struct Curso { std::string nivel, curso, estudio; };
    std::unordered_map<std::string, Curso> cursos;
    const int anchoClave = Ancho(esqCursos, "CLAVE"), anchoNivel = Ancho(esqCursos, "NIVEL"),
              anchoCurso = Ancho(esqCursos, "CURSO"), anchoEstud = Ancho(esqCursos, "ESTUD");
    {
        tablas::Tabla tc = detalle::AbrirCreada(ctx, esqCursos);
        const int cClave = Pos(tc, "CLAVE"), cNivel = Pos(tc, "NIVEL"), cCurso = Pos(tc, "CURSO"),
                  cEstud = Pos(tc, "ESTUD");
        const auto niveles = LeerReferencia(ctx.tablaReferencia);
        for (const auto& r : LeerBloque(ctx.documento, "CURSOS_DEL_CENTRO")) {
            if (detalle::MenosDeDosDatos(r)) continue;
            const std::string clave = LeerDato(r, 0);
            const int numero = core::ConvertirEntero(clave);
            std::string nivel, estudio;
            if (auto it = niveles.find(numero); it != niveles.end()) {
                nivel = it->second.abreviatura;
                estudio = it->second.estudio;
            }
            if (nivel.empty()) nivel = "Niv";
            const std::string letra = Izquierda(LeerDato(r, 1), 1);

            tc.Agregar();  // ABREV and TURNO unset
            tc.EscribirTexto(cClave, clave);
            tc.EscribirTexto(cNivel, nivel);
            tc.EscribirTexto(cCurso, letra);
            tc.EscribirTexto(cEstud, estudio);
            tc.Grabar();
            cursos.emplace(Almacenado(clave, anchoClave),
                           Curso{Almacenado(nivel, anchoNivel), Almacenado(letra, anchoCurso),
                                 Almacenado(estudio, anchoEstud)});
        }
        tc.Cerrar();
    }

    // Group pass.
    tablas::Tabla tg = detalle::AbrirCreada(ctx, tablas::esquemas::GRUPOST());
    const int gAbrev = Pos(tg, "ABREV"), gNivel = Pos(tg, "NIVEL"), gCurso = Pos(tg, "CURSO"),
              gGrupo = Pos(tg, "GRUPO"), gMarco = Pos(tg, "MARCO"), gClave = Pos(tg, "CLAVE"),
              gClaveCurso = Pos(tg, "CLAVECURSO"), gDescrip = Pos(tg, "DESCRIP");
    for (const auto& r : LeerBloque(ctx.documento, "UNIDADES")) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string clave = LeerDato(r, 0);
        const std::string nombre = LeerDato(r, 1);
        const std::string claveCurso = LeerDato(r, 2);
        Curso curso;
        if (auto it = cursos.find(claveCurso); it != cursos.end()) curso = it->second;
        const std::string letra = Derecha(nombre, 1);

        // Up to ten characters of the name other than spaces; ten of them
        // end with the name's last character.
        std::string codigo;
        for (char ch : nombre) {
            if (codigo.size() == 10) break;
            if (ch != ' ') codigo.push_back(ch);
        }
        if (codigo.size() == 10) codigo[9] = nombre.back();
        codigo = unicos.UnicoAcortado(codigo);
        codigos.Agregar(codigo);

        const std::string descripcion =
            !curso.estudio.empty() ? "(" + nombre + ") " + curso.estudio
                                   : " " + curso.nivel + " " + curso.curso + " " + letra;
        tg.Agregar();  // TURNO stays empty
        tg.EscribirTexto(gAbrev, codigo);
        tg.EscribirTexto(gNivel, curso.nivel);
        tg.EscribirTexto(gCurso, curso.curso);
        tg.EscribirTexto(gGrupo, letra);
        tg.EscribirTexto(gMarco, "0");
        tg.EscribirTexto(gClave, clave);
        tg.EscribirTexto(gClaveCurso, claveCurso);
        tg.EscribirTexto(gDescrip, descripcion);
        tg.Grabar();
    }
    tg.Cerrar();
}

void TransformarAsignaciones(Contexto& ctx) {
    tablas::Tabla asigt = detalle::CrearYAbrir(ctx, tablas::esquemas::ASIGT());
    const int aCasig = Pos(asigt, "CASIG"), aCgrup = Pos(asigt, "CGRUP"), aNivel = Pos(asigt, "NIVEL"),
              aCurso = Pos(asigt, "CURSO"), aGrupo = Pos(asigt, "GRUPO"), aHoras = Pos(asigt, "HORAS"),
              aSesiones = Pos(asigt, "SESIONES"), aClave = Pos(asigt, "CLAVE"),
              aClaveCurso = Pos(asigt, "CLAVECURSO"), aTarea = Pos(asigt, "CTAREA");

    // ASIGNOMT by its name in capitals A-Z and trimmed: the first row's COD.
    std::unordered_map<std::string, std::string> codigoPorNombre;
    {
        tablas::Tabla t = detalle::AbrirCreada(ctx, tablas::esquemas::ASIGNOMT());
        const int cNombre = t.IndiceCampo("NOMBRE"), cCod = t.IndiceCampo("COD");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente())
            codigoPorNombre.emplace(QuitarEspacios(MayusculasAZ(t.LeerTexto(cNombre))), t.LeerTexto(cCod));
        t.Cerrar();
    }
    // GRUPOST by CLAVECURSO: every row, in stored order.
    struct Grupo { std::string abrev, nivel, curso, grupo; };
    std::unordered_map<std::string, std::vector<Grupo>> gruposPorCurso;
    {
        tablas::Tabla t = detalle::AbrirCreada(ctx, tablas::esquemas::GRUPOST());
        const int cClave = t.IndiceCampo("CLAVECURSO"), cAbrev = t.IndiceCampo("ABREV"),
                  cNivel = t.IndiceCampo("NIVEL"), cCurso = t.IndiceCampo("CURSO"),
                  cGrupo = t.IndiceCampo("GRUPO");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente())
            gruposPorCurso[t.LeerTexto(cClave)].push_back(
                Grupo{t.LeerTexto(cAbrev), t.LeerTexto(cNivel), t.LeerTexto(cCurso), t.LeerTexto(cGrupo)});
        t.Cerrar();
    }

    // Every assignment carries the fixed weekly load of 240 minutes: whole
    // hours rounded up, one one-hour lesson per hour.
    const int carga = 240;
    const int horas = (carga + 59) / 60;
    const std::string sesiones(static_cast<std::size_t>(horas), '1');

    // The code found for each name as the document writes it.
    std::unordered_map<std::string, const std::string*> codigoDeNombre;
    for (const auto& r : LeerBloque(ctx.documento, "MATERIAS")) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string claveCurso = LeerDato(r, 0);
        const std::string claveMateria = LeerDato(r, 1);
        const std::string nombre = LeerDato(r, 2);
        auto itNombre = codigoDeNombre.find(nombre);
        if (itNombre == codigoDeNombre.end()) {
            auto itCod = codigoPorNombre.find(QuitarEspacios(MayusculasAZ(Izquierda(nombre, 80))));
            itNombre = codigoDeNombre.emplace(nombre, itCod == codigoPorNombre.end() ? nullptr : &itCod->second).first;
        }
        const std::string* cod = itNombre->second;
        if (!cod || cod->empty()) continue;
        auto itGrupos = gruposPorCurso.find(claveCurso);
        if (itGrupos == gruposPorCurso.end()) continue;
        for (const Grupo& g : itGrupos->second) {
            asigt.Agregar();  // CPROF, CAULA, TURNO and NCONEX stay empty
            asigt.EscribirTexto(aCasig, *cod);
            asigt.EscribirTexto(aCgrup, g.abrev);
            asigt.EscribirTexto(aNivel, g.nivel);
            asigt.EscribirTexto(aCurso, g.curso);
            asigt.EscribirTexto(aGrupo, g.grupo);
            asigt.EscribirReal(aHoras, horas);
            asigt.EscribirTexto(aSesiones, sesiones);
            asigt.EscribirTexto(aClave, claveMateria);
            asigt.EscribirTexto(aClaveCurso, claveCurso);
            asigt.EscribirTexto(aTarea, "1");
            asigt.Grabar();
        }
    }
    asigt.Cerrar();
}

}  // namespace to_tables
