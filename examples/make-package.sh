#!/bin/bash
# Builds a sample Vexorin package folder, the kind the vendor ships beside
# setup.exe: the version file, the markers, and data.arc (made with 7-Zip)
# holding a small generated suite: per-IDE output folders, the package sources
# of every IDE version and compilation mode, the sources with their three
# forms folders, and the demo projects the Start-menu shortcuts point to.
#
#   make-package.sh OUT_DIR [--version TEXT] [--archiver 7z.exe [--archiver-dll 7z.dll]]
#
# OUT_DIR is made afresh. --archiver copies the archiver the package runs
# (the simwin front end, or the real 7z.exe for Windows) into it as 7z.exe.
set -euo pipefail

usage() {
  echo "usage: $0 OUT_DIR [--version TEXT] [--archiver 7z.exe [--archiver-dll 7z.dll]]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
out=$1
shift
version="5.12.3.811 Professional With Sources"
archiver=""
archiver_dll=""
while [ $# -gt 0 ]; do
  case $1 in
    --version) version=${2:?}; shift 2 ;;
    --archiver) archiver=${2:?}; shift 2 ;;
    --archiver-dll) archiver_dll=${2:?}; shift 2 ;;
    *) usage ;;
  esac
done
command -v 7zz >/dev/null || { echo "$0: 7-Zip (7zz) is needed" >&2; exit 1; }

# The IDE folder of each product version 1 to 30 (13 has none), and the
# C++Builder folders of versions 5 and 6.
ide_folders=(Delphi1 Delphi2 Delphi3 Delphi4 Delphi5 Delphi6 Delphi7 Delphi8 Delphi2005 Delphi2006
  Delphi2007 Delphi2009 "" Delphi2010 Delphi2011 Delphi2012 Delphi2013 Delphi2014 DelphiXE5 DelphiXE6
  DelphiXe7 DelphiXE8 RadStudio10 RadStudio10_1 RadStudio10_2 RadStudio10_3 RadStudio10_4 RadStudio11
  RadStudio12 RadStudio13)
# The suffixes of the connectivity packages.
providers=(ADO BDE IBEx DbEx FireDAC Zeos CrMyDAC CrODAC CrSDAC CrIbDAC UniDAC PgDAC FIBPlus DOA Accuracer
  EasyTable IDAC MoMyDAC MoPgDAC MoMSDAC SD DBISAM IBO Advantage NexusDB NexusDB3 NexusDB4 AbsoluteDB ElevateDB
  ElevateDBu ElevateDB2 ElevateDB2u VistaDB SvODBCDAC AnyDAC AnyDAC2 NativeDB ODBCExpress)
modes=(Packages Packages_Tnt Packages_TMS Packages_DevExpress)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Text files of the suite have Windows line ends; everything is written with
# the shell's own printf, since the sample has thousands of small files.
unit() {  # unit NAME
  printf 'unit %s;\r\ninterface\r\nimplementation\r\nend.\r\n' "$1" >"$stage/Sources/$1.pas"
}

# The units each package holds, into the array `units`.
units_of() {
  case $1 in
    vxVexorin) units=(vxCore vxQuery) ;;
    vxVexorinDsgn) units=(vxReg) ;;
    vxMarlin) units=(vxMarlinCore) ;;
    vxMarlinDsgn) units=(vxMarlinReg) ;;
    vxQuillon) units=(vxQuillonEdit) ;;
    vxQuillonDsgn) units=(vxQuillonReg) ;;
    VxVexorinDsgn*) units=("vxReg${1#VxVexorinDsgn}") ;;
    VxVexorin*) units=("vxConn${1#VxVexorin}") ;;
  esac
}

dpk() {  # dpk FILE NAME SKINS UNITS...
  local file=$1 name=$2 skins=$3
  shift 3
  {
    printf 'package %s;\r\n\r\n{$R *.res}\r\n{$DESCRIPTION '"'"'Vexorin Components'"'"'}\r\n\r\n' "$name"
    printf 'requires\r\n  rtl,\r\n  %svcl;\r\n\r\n' "$skins"
    local sep="contains"
    for u in "$@"; do
      printf '%s\r\n  %s in '"'"'..\\..\\Sources\\%s.pas'"'" "$sep" "$u" "$u"
      sep=","
    done
    printf ';\r\n\r\nend.\r\n'
  } >"$file"
}

bpk() {  # bpk FILE NAME OUTFOLDER UNITS...
  local file=$1 name=$2 outdir=$3
  shift 3
  local objs=""
  for u in "$@"; do objs+="${objs:+ }..\\..\\$outdir\\obj\\$u.obj"; done
  {
    printf "<?xml version='1.0' encoding='utf-8' ?>\r\n<PROJECT>\r\n  <MACROS>\r\n"
    printf '    <VERSION value="BCB.06.00"/>\r\n'
    printf '    <PROJECT value="..\\..\\%s\\%s.bpl"/>\r\n' "$outdir" "$name"
    printf '    <OBJFILES value="%s"/>\r\n' "$objs"
    printf '    <PACKAGES value=""/>\r\n    <PATHCPP value=".;..\\..\\Sources"/>\r\n'
    printf '    <BPILIBDIR value="..\\..\\%s"/>\r\n  </MACROS>\r\n</PROJECT>\r\n' "$outdir"
  } >"$file"
}

packages() {  # packages FOLDER VERSION KIND(D|C)
  local folder=$1 v=$2 kind=$3 ext=dpk
  [ "$kind" = C ] && ext=bpk
  local bases=(vxVexorin vxVexorinDsgn vxMarlin vxMarlinDsgn vxQuillon vxQuillonDsgn)
  for p in "${providers[@]}"; do bases+=("VxVexorin$p" "VxVexorinDsgn$p"); done
  for mode in "${modes[@]}"; do
    mkdir -p "$stage/$mode/$folder"
    for base in "${bases[@]}"; do
      local name="$base$kind$v"
      units_of "$base"
      if [ "$ext" = dpk ]; then
        # The DevExpress core package lists the skins library, switched off.
        local skins=""
        [ "$mode" = Packages_DevExpress ] && [ "$base" = vxVexorin ] && skins="{dxSkinsCoreD$v,}"
        dpk "$stage/$mode/$folder/$name.dpk" "$name" "$skins" "${units[@]}"
      else
        bpk "$stage/$mode/$folder/$name.bpk" "$name" "$folder" "${units[@]}"
      fi
    done
  done
}

mkdir -p "$stage/Sources"
for v in $(seq 1 ${#ide_folders[@]}); do
  folder=${ide_folders[$((v - 1))]}
  [ -n "$folder" ] || continue
  mkdir -p "$stage/$folder"
  printf 'Vexorin %s\r\n' "$folder" >"$stage/$folder/vxVexorin.txt"
  [ "$v" -ge 16 ] && { mkdir -p "$stage/${folder}x64"; cp "$stage/$folder/vxVexorin.txt" "$stage/${folder}x64/"; }
  packages "$folder" "$v" D
done
for v in 5 6; do
  mkdir -p "$stage/CBuilder$v"
  printf 'Vexorin CBuilder%s\r\n' "$v" >"$stage/CBuilder$v/vxVexorin.txt"
  mkdir -p "$stage/CBuilder$v/obj"  # make writes the object files there
  packages "CBuilder$v" "$v" C
done

for base in vxVexorin vxVexorinDsgn vxMarlin vxMarlinDsgn vxQuillon vxQuillonDsgn; do
  units_of "$base"
  for u in "${units[@]}"; do unit "$u"; done
done
for p in "${providers[@]}"; do
  unit "vxConn$p"
  unit "vxReg$p"
done
printf '{-$define VXN_TREEVIEW_DEVEXPRESS_V4}\r\n{-$define VXN_DEVEXPRESS_SKINS}\r\n' >"$stage/Sources/vxn.inc"
for forms in VclForms TntForms DevExpressForms; do
  mkdir -p "$stage/Sources/$forms"
  printf 'object QueryForm: TQueryForm\r\n  Caption = %s\r\nend\r\n' "$forms" >"$stage/Sources/$forms/vxQueryForm.dfm"
  printf 'RES %s\r\n' "$forms" >"$stage/Sources/$forms/vxQueryForm.res"
done
# The DevExpress include file with both switches, one on and one off.
printf '{-$define VXN_TREEVIEW_DEVEXPRESS_V4}\r\n{$define VXN_DEVEXPRESS_SKINS}\r\n' \
  >"$stage/Sources/DevExpressForms/vxn.inc"

for project in DemoApp/VXNDemo NonVisualDemo/NonVisualDemo QueryModificationDemo/QueryModificationDemo \
  VirtualObjectsAndFields/VirtualObjectsAndFields AlternateNames/AlternateNames \
  ReplaceWhereClause/ReplaceWhereClause SubqueryResultsPreview/SubqueryResultsPreview \
  Standard/BDE/BDEDemo Standard/ADO/ADODemo LoadMetadataDemo/LoadMetadataDemo EventsDemo/EventsDemo \
  ThirdParty/ADO/ADODemo; do
  mkdir -p "$stage/Demos/$(dirname "$project")"
  printf 'program %s;\r\nbegin\r\nend.\r\n' "${project##*/}" >"$stage/Demos/$project.dpr"
done
mkdir -p "$stage/Demos/Standard/BDE/BDEDemo" "$stage/Demos/Standard/ADO/ADODemo"

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
(cd "$stage" && 7zz a -t7z -bd -bso0 -bsp0 "$out/data.arc" ./* >/dev/null)
printf '%s\r\n' "$version" >"$out/version"
for marker in withsrcs metapvds marlin quillon; do : >"$out/$marker"; done
[ -z "$archiver" ] || cp "$archiver" "$out/7z.exe"
[ -z "$archiver_dll" ] || cp "$archiver_dll" "$out/7z.dll"
echo "$out"
