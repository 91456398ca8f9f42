#include "settings/TranslationTable.h"

#include "capture/publisher/camera/PipeWireInstruction.h"
#include "core/AppInfo.h"

#include <QStringView>

namespace {

struct SourceRow {
    const char16_t* key;
    const char16_t* arabic;
    const char16_t* chinese;
    const char16_t* spanish;
    const char16_t* french;
    // The web-site link row: every column is a prefix completed with the site's host name.
    bool appendsWebsiteHost = false;
};

// One row per interface text: English key, then Arabic, Simplified Chinese, Spanish, French.
// Translations keep the key's printf placeholders in the same order, its "**" bold markers and
// the product name "Velarion".
// clang-format off
constexpr SourceRow kSourceRows[] = {
    {u"Settings", u"الإعدادات", u"设置", u"Ajustes", u"Réglages"},
    {u"Preferences and privacy options", u"التفضيلات وخيارات الخصوصية", u"偏好设置与隐私选项", u"Preferencias y opciones de privacidad", u"Préférences et options de confidentialité"},
    {u"General", u"عام", u"通用", u"General", u"Général"},
    {u"Language", u"اللغة", u"语言", u"Idioma", u"Langue"},
    {u"Choose your preferred language", u"اختر لغتك المفضلة", u"选择您的首选语言", u"Elige tu idioma preferido", u"Choisissez votre langue préférée"},
    {u"Launch at login", u"التشغيل عند تسجيل الدخول", u"登录时启动", u"Abrir al iniciar sesión", u"Lancer à l'ouverture de session"},
    {u"Open Velarion automatically when you sign in", u"افتح Velarion تلقائيًا عند تسجيل الدخول", u"登录时自动打开 Velarion", u"Abre Velarion automáticamente al iniciar sesión", u"Ouvrir Velarion automatiquement à l'ouverture de session"},
    {u"Window blur", u"تمويه النوافذ", u"窗口模糊", u"Desenfoque de ventanas", u"Flou des fenêtres"},
    {u"Blur intensity", u"شدة التمويه", u"模糊强度", u"Intensidad del desenfoque", u"Intensité du flou"},
    {u"Strength of the mask over sensitive windows", u"قوة القناع فوق النوافذ الحساسة", u"敏感窗口上遮罩的强度", u"Intensidad de la máscara sobre las ventanas sensibles", u"Intensité du masque sur les fenêtres sensibles"},
    {u"OCR privacy mask", u"قناع الخصوصية بالتعرّف الضوئي (OCR)", u"OCR 隐私遮罩", u"Máscara de privacidad OCR", u"Masque de confidentialité OCR"},
    {u"Scan interval", u"الفاصل الزمني للفحص", u"扫描间隔", u"Intervalo de análisis", u"Intervalle d'analyse"},
    {u"How often the screen is re-scanned for sensitive text", u"عدد مرات إعادة فحص الشاشة بحثًا عن نصوص حساسة", u"重新扫描屏幕以查找敏感文本的频率", u"Cada cuánto se vuelve a analizar la pantalla en busca de texto sensible", u"Fréquence à laquelle l'écran est réanalysé à la recherche de texte sensible"},
    {u"Detected patterns", u"الأنماط المكتشفة", u"检测类型", u"Patrones detectados", u"Motifs détectés"},
    {u"Panic hotkey", u"مفتاح الطوارئ", u"紧急快捷键", u"Atajo de pánico", u"Raccourci d'urgence"},
    {u"Hide everything", u"إخفاء كل شيء", u"隐藏所有内容", u"Ocultar todo", u"Tout masquer"},
    {u"Press this anywhere to hide (then reveal) your Stealth windows", u"اضغطه في أي مكان لإخفاء نوافذ التخفي (ثم إظهارها)", u"在任意位置按下即可隐藏（再按一次则显示）您的隐身窗口", u"Púlsalo en cualquier lugar para ocultar (y luego mostrar) tus ventanas en modo sigilo", u"Appuyez dessus n'importe où pour masquer (puis réafficher) vos fenêtres furtives"},
    {u"Shortcut:", u"الاختصار:", u"快捷键：", u"Atajo:", u"Raccourci :"},
    {u"Reset", u"إعادة تعيين", u"重置", u"Restablecer", u"Réinitialiser"},
    {u"Press keys…", u"اضغط المفاتيح…", u"请按下按键…", u"Pulsa las teclas…", u"Appuyez sur les touches…"},
    {u"This shortcut couldn't be registered — another app is already using it. Try a different combo.", u"تعذّر تسجيل هذا الاختصار — يستخدمه تطبيق آخر بالفعل. جرّب تركيبة مختلفة.", u"无法注册此快捷键——另一个应用已在使用它。请尝试其他组合。", u"No se pudo registrar este atajo: otra app ya lo está usando. Prueba otra combinación.", u"Impossible d'enregistrer ce raccourci — une autre app l'utilise déjà. Essayez une autre combinaison."},
    {u"This is a common desktop shortcut, so it may not trigger reliably. A less common combo is safer.", u"هذا اختصار شائع لسطح المكتب، لذا قد لا يعمل بشكل موثوق. التركيبة الأقل شيوعًا أكثر أمانًا.", u"这是常见的桌面快捷键，可能无法可靠触发。使用不太常见的组合更稳妥。", u"Es un atajo habitual del escritorio, así que puede que no funcione de forma fiable. Una combinación menos común es más segura.", u"C'est un raccourci courant du bureau : il risque de ne pas se déclencher de façon fiable. Une combinaison moins courante est plus sûre."},
    {u"Ready and not used by another app.", u"جاهز ولا يستخدمه تطبيق آخر.", u"已就绪，未被其他应用占用。", u"Listo; ninguna otra app lo usa.", u"Prêt, et aucune autre app ne l'utilise."},
    {u"About", u"حول", u"关于", u"Acerca de", u"À propos"},
    {u"Version", u"الإصدار", u"版本", u"Versión", u"Version"},
    {u"Software update", u"تحديث البرنامج", u"软件更新", u"Actualización de software", u"Mise à jour logicielle"},
    {u"Check whether a newer version is available", u"تحقق مما إذا كان هناك إصدار أحدث", u"检查是否有新版本可用", u"Comprueba si hay una versión más reciente", u"Vérifier si une version plus récente est disponible"},
    {u"Checking…", u"جارٍ التحقق…", u"正在检查…", u"Comprobando…", u"Vérification…"},
    {u"You're on the latest version", u"لديك أحدث إصدار", u"您使用的是最新版本", u"Tienes la última versión", u"Vous utilisez la dernière version"},
    {u"Updates for this copy come from your package manager.", u"تصل تحديثات هذه النسخة من مدير الحزم لديك.", u"此副本的更新由您的软件包管理器提供。", u"Las actualizaciones de esta copia llegan a través de tu gestor de paquetes.", u"Les mises à jour de cette copie proviennent de votre gestionnaire de paquets."},
    {u"Couldn't check for updates. Try again", u"تعذّر التحقق من وجود تحديثات. حاول مرة أخرى", u"无法检查更新。请重试", u"No se pudieron buscar actualizaciones. Inténtalo de nuevo", u"Impossible de rechercher les mises à jour. Réessayez"},
    {u"Version %@ is available to download", u"الإصدار %@ متاح للتنزيل", u"版本 %@ 可供下载", u"La versión %@ está disponible para descargar", u"La version %@ est disponible au téléchargement"},
    {u"Check now", u"تحقق الآن", u"立即检查", u"Comprobar ahora", u"Vérifier maintenant"},
    {u"Download", u"تنزيل", u"下载", u"Descargar", u"Télécharger"},
    {u"All processing happens on-device. Nothing leaves your computer.", u"تتم جميع المعالجة على الجهاز. لا شيء يغادر حاسوبك.", u"所有处理均在设备上完成，任何数据都不会离开您的电脑。", u"Todo el procesamiento se realiza en el dispositivo. Nada sale de tu ordenador.", u"Tout le traitement s'effectue sur l'appareil. Rien ne quitte votre ordinateur."},
    {u"Desktop Shield", u"درع سطح المكتب", u"桌面护盾", u"Escudo de escritorio", u"Bouclier du bureau"},
    {u"Hide desktop icons", u"إخفاء أيقونات سطح المكتب", u"隐藏桌面图标", u"Ocultar iconos del escritorio", u"Masquer les icônes du bureau"},
    {u"Notification Guard", u"حارس الإشعارات", u"通知守卫", u"Guardián de notificaciones", u"Gardien des notifications"},
    {u"Enable Do Not Disturb", u"تفعيل وضع عدم الإزعاج", u"开启勿扰模式", u"Activar No molestar", u"Activer Ne pas déranger"},
    {u"Broadcast Camera", u"كاميرا البث", u"广播摄像头", u"Cámara de emisión", u"Caméra de diffusion"},
    {u"Share your screen, hide chosen windows", u"شارك شاشتك وأخفِ النوافذ المختارة", u"共享屏幕，隐藏所选窗口", u"Comparte tu pantalla y oculta las ventanas elegidas", u"Partagez votre écran, masquez les fenêtres choisies"},
    {u"Privacy Mask (OCR)", u"قناع الخصوصية (OCR)", u"隐私遮罩（OCR）", u"Máscara de privacidad (OCR)", u"Masque de confidentialité (OCR)"},
    {u"Detect & blur sensitive data", u"اكتشاف البيانات الحساسة وتمويهها", u"检测并模糊敏感数据", u"Detecta y desenfoca datos sensibles", u"Détecter et flouter les données sensibles"},
    {u"Quit", u"إنهاء", u"退出", u"Salir", u"Quitter"},
    {u"Open Velarion", u"فتح Velarion", u"打开 Velarion", u"Abrir Velarion", u"Ouvrir Velarion"},
    {u"Help", u"مساعدة", u"帮助", u"Ayuda", u"Aide"},
    {u"Velarion Help", u"مساعدة Velarion", u"Velarion 帮助", u"Ayuda de Velarion", u"Aide de Velarion"},
    {u"Software Update", u"تحديث البرامج", u"软件更新", u"Actualización de software", u"Mise à jour logicielle"},
    {u"Set Up Virtual Camera", u"إعداد الكاميرا الافتراضية", u"设置虚拟摄像头", u"Configurar la cámara virtual", u"Configurer la caméra virtuelle"},
    {u"Broadcast", u"البث", u"广播", u"Emisión", u"Diffusion"},
    {u"Help & guides", u"المساعدة والأدلة", u"帮助与指南", u"Ayuda y guías", u"Aide et guides"},
    {u"Dashboard", u"لوحة المعلومات", u"仪表板", u"Panel", u"Tableau de bord"},
    {u"Protection modules", u"وحدات الحماية", u"保护模块", u"Módulos de protección", u"Modules de protection"},
    {u"%d active", u"%d نشطة", u"%d 个已启用", u"%d activos", u"%d actifs"},
    {u"All processing happens on-device. Nothing ever leaves your computer.", u"تتم جميع المعالجة على الجهاز. لا شيء يغادر حاسوبك أبدًا.", u"所有处理均在设备上完成，任何数据都绝不会离开您的电脑。", u"Todo el procesamiento se realiza en el dispositivo. Nada sale nunca de tu ordenador.", u"Tout le traitement s'effectue sur l'appareil. Rien ne quitte jamais votre ordinateur."},
    {u"You're protected", u"أنت محمي", u"您已受到保护", u"Estás protegido", u"Vous êtes protégé"},
    {u"Ready to present", u"جاهز للعرض", u"可以开始演示", u"Listo para presentar", u"Prêt à présenter"},
    {u"%d of %d privacy shields are active.", u"%d من أصل %d من دروع الخصوصية نشطة.", u"已启用 %d 个隐私护盾（共 %d 个）。", u"%d de %d escudos de privacidad están activos.", u"%d boucliers de confidentialité sur %d sont actifs."},
    {u"Turn on Presentation Mode before you share your screen.", u"شغّل وضع العرض التقديمي قبل مشاركة شاشتك.", u"共享屏幕前，请先开启演示模式。", u"Activa el Modo presentación antes de compartir tu pantalla.", u"Activez le mode Présentation avant de partager votre écran."},
    {u"Stop presenting", u"إيقاف العرض", u"停止演示", u"Dejar de presentar", u"Arrêter la présentation"},
    {u"Start presenting", u"بدء العرض", u"开始演示", u"Empezar a presentar", u"Commencer la présentation"},
    {u"On", u"مُفعّل", u"开启", u"Activado", u"Activé"},
    {u"Hide desktop icons during presentations", u"إخفاء أيقونات سطح المكتب أثناء العروض التقديمية", u"演示期间隐藏桌面图标", u"Oculta los iconos del escritorio durante las presentaciones", u"Masquer les icônes du bureau pendant les présentations"},
    {u"Silence notifications with Do Not Disturb", u"إسكات الإشعارات عبر وضع عدم الإزعاج", u"通过勿扰模式静音通知", u"Silencia las notificaciones con No molestar", u"Faire taire les notifications avec Ne pas déranger"},
    {u"Detect and blur sensitive on-screen data", u"اكتشاف البيانات الحساسة على الشاشة وتمويهها", u"检测并模糊屏幕上的敏感数据", u"Detecta y desenfoca datos sensibles en pantalla", u"Détecter et flouter les données sensibles à l'écran"},
    {u"Instantly hides all desktop icons, files, and folders so your audience only sees a clean wallpaper. Perfect for screen sharing during meetings and presentations. Uses your desktop's own setting — icons reappear automatically when you turn it off.", u"يخفي فورًا جميع أيقونات سطح المكتب والملفات والمجلدات، فلا يرى جمهورك سوى خلفية نظيفة. مثالي لمشاركة الشاشة أثناء الاجتماعات والعروض التقديمية. يستخدم الإعداد الخاص بسطح المكتب لديك — وتعود الأيقونات تلقائيًا عند إيقاف تشغيله.", u"立即隐藏所有桌面图标、文件和文件夹，让观众只看到干净的墙纸。非常适合在会议和演示中共享屏幕。使用桌面环境自身的设置——关闭后图标会自动重新出现。", u"Oculta al instante todos los iconos, archivos y carpetas del escritorio para que tu público solo vea un fondo de pantalla limpio. Perfecto para compartir pantalla en reuniones y presentaciones. Usa el propio ajuste de tu escritorio: los iconos reaparecen automáticamente al desactivarlo.", u"Masque instantanément toutes les icônes, fichiers et dossiers du bureau pour que votre public ne voie qu'un fond d'écran épuré. Idéal pour partager l'écran pendant les réunions et les présentations. Utilise le réglage propre à votre bureau — les icônes réapparaissent automatiquement quand vous le désactivez."},
    {u"Activates Do Not Disturb mode to suppress banners, badges, and sounds. Prevents private messages, email previews, and calendar alerts from popping up while you're sharing your screen.", u"يفعّل وضع عدم الإزعاج لكتم اللافتات والشارات والأصوات. يمنع ظهور الرسائل الخاصة ومعاينات البريد الإلكتروني وتنبيهات التقويم أثناء مشاركة شاشتك.", u"开启勿扰模式，屏蔽横幅、标记和提示音。防止在您共享屏幕时弹出私人消息、邮件预览和日历提醒。", u"Activa el modo No molestar para silenciar avisos, globos y sonidos. Evita que aparezcan mensajes privados, vistas previas de correos y alertas del calendario mientras compartes tu pantalla.", u"Active le mode Ne pas déranger pour supprimer les bannières, les pastilles et les sons. Empêche l'apparition de messages privés, d'aperçus d'e-mails et d'alertes de calendrier pendant que vous partagez votre écran."},
    {u"Scans your screen with the Tesseract text recognizer to find sensitive text — emails, credit card numbers, phone numbers, and SSNs. Identified regions are highlighted so you can blur them before sharing. All processing is 100% on-device.", u"يفحص شاشتك باستخدام أداة التعرّف على النصوص Tesseract للعثور على النصوص الحساسة — عناوين البريد الإلكتروني وأرقام بطاقات الائتمان وأرقام الهواتف وأرقام الضمان الاجتماعي. تُميَّز المناطق المكتشفة لتتمكن من تمويهها قبل المشاركة. تتم جميع المعالجة على الجهاز بنسبة 100%.", u"使用 Tesseract 文字识别引擎扫描屏幕，查找敏感文本——电子邮件地址、信用卡号、电话号码和社会安全号码。识别出的区域会高亮显示，方便您在共享前将其模糊。所有处理 100% 在设备上完成。", u"Analiza tu pantalla con el reconocedor de texto Tesseract para encontrar texto sensible: correos electrónicos, números de tarjeta de crédito, números de teléfono y números de la Seguridad Social (SSN). Las zonas detectadas se resaltan para que puedas desenfocarlas antes de compartir. Todo el procesamiento se realiza 100% en el dispositivo.", u"Analyse votre écran avec le moteur de reconnaissance de texte Tesseract pour trouver du texte sensible — adresses e-mail, numéros de carte bancaire, numéros de téléphone et numéros de sécurité sociale (SSN). Les zones repérées sont mises en évidence pour que vous puissiez les flouter avant le partage. Tout le traitement s'effectue à 100 % sur l'appareil."},
    {u"Hides the icons through your desktop's own setting", u"يخفي الأيقونات عبر الإعداد الخاص بسطح المكتب لديك", u"通过桌面环境自身的设置隐藏图标", u"Oculta los iconos mediante el propio ajuste de tu escritorio", u"Masque les icônes via le réglage propre à votre bureau"},
    {u"Restarts the desktop's file manager where needed to apply changes instantly", u"يعيد تشغيل مدير ملفات سطح المكتب عند الحاجة لتطبيق التغييرات فورًا", u"必要时重新启动桌面的文件管理器，以立即应用更改", u"Reinicia el gestor de archivos del escritorio cuando hace falta para aplicar los cambios al instante", u"Redémarre le gestionnaire de fichiers du bureau si nécessaire pour appliquer les changements immédiatement"},
    {u"Icons are restored when you toggle off or quit the app", u"تُستعاد الأيقونات عند إيقاف التشغيل أو إنهاء التطبيق", u"关闭开关或退出应用时，图标会恢复", u"Los iconos se restauran al desactivarlo o salir de la app", u"Les icônes sont rétablies quand vous le désactivez ou quittez l'app"},
    {u"Activates your desktop's Do Not Disturb mode", u"يفعّل وضع عدم الإزعاج في سطح المكتب لديك", u"开启桌面环境的勿扰模式", u"Activa el modo No molestar de tu escritorio", u"Active le mode Ne pas déranger de votre bureau"},
    {u"Suppresses all notification banners and sounds", u"يكتم جميع لافتات الإشعارات وأصواتها", u"屏蔽所有通知横幅和提示音", u"Silencia todos los avisos y sonidos de notificación", u"Supprime toutes les bannières et tous les sons de notification"},
    {u"Automatically restores your previous state on toggle off", u"يستعيد حالتك السابقة تلقائيًا عند الإيقاف", u"关闭时自动恢复之前的状态", u"Restaura automáticamente tu estado anterior al desactivarlo", u"Rétablit automatiquement votre état précédent à la désactivation"},
    {u"Captures a screen snapshot of the X11 display", u"يلتقط صورة لشاشة عرض X11", u"截取 X11 显示屏幕的快照", u"Captura una instantánea de la pantalla X11", u"Capture un instantané de l'écran X11"},
    {u"Runs Tesseract on this computer for on-device OCR", u"يشغّل Tesseract على هذا الحاسوب للتعرّف الضوئي على النصوص على الجهاز", u"在本机运行 Tesseract 进行设备端 OCR", u"Ejecuta Tesseract en este ordenador para el OCR en el dispositivo", u"Exécute Tesseract sur cet ordinateur pour l'OCR sur l'appareil"},
    {u"Matches text against email, credit card, phone, and SSN patterns", u"يطابق النص مع أنماط البريد الإلكتروني وبطاقات الائتمان والهواتف وأرقام الضمان الاجتماعي", u"将文本与电子邮件、信用卡、电话和社会安全号码模式进行匹配", u"Compara el texto con patrones de correo electrónico, tarjeta de crédito, teléfono y SSN", u"Compare le texte aux motifs d'e-mail, de carte bancaire, de téléphone et de SSN"},
    {u"Highlights detected regions for you to review and blur", u"يميّز المناطق المكتشفة لتراجعها وتموّهها", u"高亮显示检测到的区域，供您检查并模糊", u"Resalta las zonas detectadas para que las revises y desenfoques", u"Met en évidence les zones détectées pour que vous les vérifiiez et les floutiez"},
    {u"How it works", u"كيف يعمل", u"工作原理", u"Cómo funciona", u"Fonctionnement"},
    {u"Scanning…", u"جارٍ الفحص…", u"正在扫描…", u"Analizando…", u"Analyse…"},
    {u"%d sensitive region(s) found", u"عدد المناطق الحساسة التي عُثر عليها: %d", u"发现 %d 个敏感区域", u"%d zona(s) sensible(s) encontrada(s)", u"%d zone(s) sensible(s) trouvée(s)"},
    {u"Scan Now", u"افحص الآن", u"立即扫描", u"Analizar ahora", u"Analyser maintenant"},
    {u"Could not capture screen", u"تعذّر التقاط الشاشة", u"无法捕获屏幕", u"No se pudo capturar la pantalla", u"Impossible de capturer l'écran"},
    {u"Masking %d sensitive region(s)", u"عدد المناطق الحساسة المحجوبة: %d", u"正在遮盖 %d 个敏感区域", u"Enmascarando %d zona(s) sensible(s)", u"Masquage de %d zone(s) sensible(s)"},
    {u"Scan failed: %@", u"فشل الفحص: %@", u"扫描失败：%@", u"Error al analizar: %@", u"Échec de l'analyse : %@"},
    {u"Close", u"إغلاق", u"关闭", u"Cerrar", u"Fermer"},
    {u"Set Up the Virtual Camera", u"إعداد الكاميرا الافتراضية", u"设置虚拟摄像头", u"Configura la cámara virtual", u"Configurer la caméra virtuelle"},
    {u"Two quick steps and you're broadcasting.", u"خطوتان سريعتان وتبدأ البث.", u"只需两个简单步骤，即可开始广播。", u"Dos pasos rápidos y ya estarás emitiendo.", u"Deux étapes rapides et vous diffusez."},
    {u"Allow Screen Recording", u"السماح بتسجيل الشاشة", u"允许屏幕录制", u"Permitir la grabación de pantalla", u"Autoriser l'enregistrement de l'écran"},
    {u"Velarion captures the window you choose and sends it to the camera. Your desktop session must allow screen capture for this.", u"يلتقط Velarion النافذة التي تختارها ويرسلها إلى الكاميرا. يجب أن تسمح جلسة سطح المكتب بالتقاط الشاشة لذلك.", u"Velarion 会捕获您选择的窗口并将其发送到摄像头。为此，您的桌面会话必须允许屏幕捕获。", u"Velarion captura la ventana que elijas y la envía a la cámara. Para ello, tu sesión de escritorio debe permitir la captura de pantalla.", u"Velarion capture la fenêtre que vous choisissez et l'envoie à la caméra. Votre session de bureau doit autoriser la capture d'écran pour cela."},
    {u"Screen Recording is on.", u"تسجيل الشاشة مُفعّل.", u"屏幕录制已开启。", u"La grabación de pantalla está activada.", u"L'enregistrement de l'écran est activé."},
    {u"Velarion needs an X11 session to capture the screen. Log out and choose an X11 (Xorg) session at the login screen.", u"يحتاج Velarion إلى جلسة X11 لالتقاط الشاشة. سجّل الخروج واختر جلسة X11 (Xorg) من شاشة تسجيل الدخول.", u"Velarion 需要 X11 会话才能捕获屏幕。请注销，然后在登录界面选择 X11（Xorg）会话。", u"Velarion necesita una sesión X11 para capturar la pantalla. Cierra la sesión y elige una sesión X11 (Xorg) en la pantalla de inicio de sesión.", u"Velarion a besoin d'une session X11 pour capturer l'écran. Déconnectez-vous et choisissez une session X11 (Xorg) sur l'écran de connexion."},
    {u"Screen capture isn't allowed in this session. Velarion needs an X11 (Xorg) session: choose one at the login screen. If you changed a setting instead, quit and reopen Velarion to apply it.", u"التقاط الشاشة غير مسموح به في هذه الجلسة. يحتاج Velarion إلى جلسة X11 (Xorg): اخترها من شاشة تسجيل الدخول. وإذا غيّرت إعدادًا بدلًا من ذلك، فأنهِ Velarion وأعد فتحه لتطبيقه.", u"此会话不允许屏幕捕获。Velarion 需要 X11（Xorg）会话：请在登录界面选择该会话。如果您改为更改了某项设置，请退出并重新打开 Velarion 以使其生效。", u"Esta sesión no permite la captura de pantalla. Velarion necesita una sesión X11 (Xorg): elígela en la pantalla de inicio de sesión. Si en cambio modificaste un ajuste, sal de Velarion y vuelve a abrirlo para aplicarlo.", u"Cette session n'autorise pas la capture d'écran. Velarion a besoin d'une session X11 (Xorg) : choisissez-la sur l'écran de connexion. Si vous avez plutôt modifié un réglage, quittez Velarion et rouvrez-le pour l'appliquer."},
    {u"Open Screen Recording Settings", u"فتح إعدادات تسجيل الشاشة", u"打开屏幕录制设置", u"Abrir ajustes de grabación de pantalla", u"Ouvrir les réglages d'enregistrement de l'écran"},
    {u"Quit & Reopen Velarion", u"إنهاء Velarion وإعادة فتحه", u"退出并重新打开 Velarion", u"Salir y volver a abrir Velarion", u"Quitter et rouvrir Velarion"},
    {u"Grant Screen Recording", u"منح إذن تسجيل الشاشة", u"授予屏幕录制权限", u"Conceder la grabación de pantalla", u"Accorder l'enregistrement de l'écran"},
    {u"Enable the Camera Extension", u"تفعيل امتداد الكاميرا", u"启用摄像头扩展", u"Activar la extensión de cámara", u"Activer l'extension de caméra"},
    {u"This is the camera service that makes “Velarion Camera” show up as a camera inside Zoom, Meet, Teams and other video-call apps.", u"هذه هي خدمة الكاميرا التي تجعل «Velarion Camera» تظهر ككاميرا داخل Zoom وMeet وTeams وتطبيقات مكالمات الفيديو الأخرى.", u"这是让“Velarion Camera”作为摄像头出现在 Zoom、Meet、Teams 和其他视频通话应用中的摄像头服务。", u"Es el servicio de cámara que hace que «Velarion Camera» aparezca como cámara en Zoom, Meet, Teams y otras apps de videollamada.", u"C'est le service de caméra qui fait apparaître « Velarion Camera » comme caméra dans Zoom, Meet, Teams et les autres apps d'appel vidéo."},
    {u"Camera Extension is active.", u"امتداد الكاميرا نشط.", u"摄像头扩展已启用。", u"La extensión de cámara está activa.", u"L'extension de caméra est active."},
    {u"Requesting… Velarion is starting its camera service.", u"جارٍ الطلب… يشغّل Velarion خدمة الكاميرا الخاصة به.", u"正在请求… Velarion 正在启动其摄像头服务。", u"Solicitando… Velarion está iniciando su servicio de cámara.", u"Demande en cours… Velarion démarre son service de caméra."},
    {kPipeWireNotRunningInstruction, u"خدمة PipeWire لا تعمل في جلستك. شغّلها ثم حاول مرة أخرى:\nsystemctl --user start pipewire wireplumber", u"您的会话中未运行 PipeWire。请启动它，然后重试：\nsystemctl --user start pipewire wireplumber", u"PipeWire no se está ejecutando en tu sesión. Inícialo y vuelve a intentarlo:\nsystemctl --user start pipewire wireplumber", u"PipeWire ne tourne pas dans votre session. Démarrez-le, puis réessayez :\nsystemctl --user start pipewire wireplumber"},
    {u"Open Desktop Settings", u"فتح إعدادات سطح المكتب", u"打开桌面设置", u"Abrir la configuración del escritorio", u"Ouvrir les paramètres du bureau"},
    {u"Try Again", u"حاول مرة أخرى", u"重试", u"Reintentar", u"Réessayer"},
    {u"Enable Camera Extension", u"تفعيل امتداد الكاميرا", u"启用摄像头扩展", u"Activar extensión de cámara", u"Activer l'extension caméra"},
    {u"Finish step 1 first.", u"أكمل الخطوة 1 أولًا.", u"请先完成第 1 步。", u"Completa primero el paso 1.", u"Terminez d'abord l'étape 1."},
    {u"You're all set! Turn on Broadcast Camera and pick a window to share.", u"كل شيء جاهز! شغّل كاميرا البث واختر نافذة لمشاركتها.", u"一切就绪！打开广播摄像头并选择要共享的窗口。", u"¡Todo listo! Activa la Cámara de emisión y elige una ventana para compartir.", u"Tout est prêt ! Activez la Caméra de diffusion et choisissez une fenêtre à partager."},
    {u"Done", u"تم", u"完成", u"Hecho", u"Terminé"},
    {u"Help Center", u"مركز المساعدة", u"帮助中心", u"Centro de ayuda", u"Centre d'aide"},
    {u"Guides for getting the most out of Velarion.", u"أدلة للاستفادة القصوى من Velarion.", u"充分利用 Velarion 的指南。", u"Guías para sacar el máximo partido a Velarion.", u"Des guides pour tirer le meilleur parti de Velarion."},
    {u"Required for Broadcast Camera to appear in Zoom, Meet, Teams, etc.", u"مطلوب لكي تظهر كاميرا البث في Zoom وMeet وTeams وغيرها.", u"广播摄像头要出现在 Zoom、Meet、Teams 等应用中，必须完成此设置。", u"Necesario para que la Cámara de emisión aparezca en Zoom, Meet, Teams, etc.", u"Nécessaire pour que la Caméra de diffusion apparaisse dans Zoom, Meet, Teams, etc."},
    {u"Make sure **PipeWire** is running for your session.", u"تأكد من أن **PipeWire** يعمل في جلستك.", u"确保您的会话中正在运行 **PipeWire**。", u"Asegúrate de que **PipeWire** se esté ejecutando en tu sesión.", u"Vérifiez que **PipeWire** tourne dans votre session."},
    {u"Turn on **Broadcast Camera** once in Velarion.", u"شغّل **كاميرا البث** مرة واحدة في Velarion.", u"在 Velarion 中打开一次**广播摄像头**。", u"Activa una vez la **Cámara de emisión** en Velarion.", u"Activez une fois la **Caméra de diffusion** dans Velarion."},
    {u"Velarion then starts its **camera service** by itself.", u"يشغّل Velarion بعد ذلك **خدمة الكاميرا** بنفسه.", u"随后 Velarion 会自行启动其**摄像头服务**。", u"Velarion inicia entonces su **servicio de cámara** por sí solo.", u"Velarion démarre alors lui-même son **service de caméra**."},
    {u"If the set-up asks, click **Enable Camera Extension**, or **Try Again** after a failure.", u"إذا طلب الإعداد ذلك، انقر **تفعيل امتداد الكاميرا**، أو **حاول مرة أخرى** بعد الإخفاق.", u"如果设置窗口提示，请点按**启用摄像头扩展**；失败后请点按**重试**。", u"Si la configuración lo pide, haz clic en **Activar extensión de cámara**, o en **Reintentar** tras un fallo.", u"Si la configuration le demande, cliquez sur **Activer l'extension caméra**, ou sur **Réessayer** après un échec."},
    {u"Once the set-up shows **Camera Extension is active**, pick **Velarion Camera** in your meeting app.", u"بعد أن يعرض الإعداد **امتداد الكاميرا نشط**، اختر **Velarion Camera** في تطبيق الاجتماعات.", u"设置窗口显示**摄像头扩展已启用**后，在会议应用中选择 **Velarion Camera**。", u"Cuando la configuración muestre **La extensión de cámara está activa**, elige **Velarion Camera** en tu app de reuniones.", u"Une fois que la configuration affiche **L'extension de caméra est active**, choisissez **Velarion Camera** dans votre app de réunion."},
    {u"If “Velarion Camera” isn't listed yet, turn on Broadcast Camera once so Velarion starts the camera, then come back here.", u"إذا لم تظهر «Velarion Camera» في القائمة بعد، فشغّل كاميرا البث مرة واحدة ليشغّل Velarion الكاميرا، ثم عُد إلى هنا.", u"如果“Velarion Camera”尚未列出，请先打开一次广播摄像头，让 Velarion 启动该摄像头，然后再回到这里。", u"Si «Velarion Camera» aún no aparece, activa la Cámara de emisión una vez para que Velarion inicie la cámara y luego vuelve aquí.", u"Si « Velarion Camera » n'apparaît pas encore, activez une fois la Caméra de diffusion pour que Velarion démarre la caméra, puis revenez ici."},
    {u"“Velarion” camera doesn't appear", u"كاميرا «Velarion» لا تظهر", u"“Velarion”摄像头未出现", u"La cámara «Velarion» no aparece", u"La caméra « Velarion » n'apparaît pas"},
    {u"The virtual camera is missing from the camera list.", u"الكاميرا الافتراضية غير موجودة في قائمة الكاميرات.", u"摄像头列表中没有虚拟摄像头。", u"La cámara virtual no aparece en la lista de cámaras.", u"La caméra virtuelle est absente de la liste des caméras."},
    {u"Make sure the **Camera Extension is enabled** (see the guide above).", u"تأكد من أن **امتداد الكاميرا مُفعّل** (راجع الدليل أعلاه).", u"确保**摄像头扩展已启用**（参见上方指南）。", u"Asegúrate de que la **extensión de cámara esté activada** (consulta la guía anterior).", u"Vérifiez que **l'extension de caméra est activée** (voir le guide ci-dessus)."},
    {u"**Fully quit and reopen** your meeting app — camera lists are only read at launch.", u"**أنهِ تطبيق الاجتماعات تمامًا وأعد فتحه** — تُقرأ قوائم الكاميرات عند بدء التشغيل فقط.", u"**完全退出并重新打开**您的会议应用——摄像头列表仅在启动时读取。", u"**Sal por completo y vuelve a abrir** tu app de reuniones: la lista de cámaras solo se lee al iniciarse.", u"**Quittez complètement puis rouvrez** votre app de réunion — les listes de caméras ne sont lues qu'au lancement."},
    {u"Pick a window to broadcast in Velarion before joining the call.", u"اختر نافذة لبثها في Velarion قبل الانضمام إلى المكالمة.", u"加入通话前，请在 Velarion 中选择要广播的窗口。", u"Elige una ventana para emitir en Velarion antes de unirte a la llamada.", u"Choisissez une fenêtre à diffuser dans Velarion avant de rejoindre l'appel."},
    {u"In your meeting app's video settings, select **Velarion** as the camera.", u"في إعدادات الفيديو في تطبيق الاجتماعات، اختر **Velarion** ككاميرا.", u"在会议应用的视频设置中，选择 **Velarion** 作为摄像头。", u"En los ajustes de vídeo de tu app de reuniones, selecciona **Velarion** como cámara.", u"Dans les réglages vidéo de votre app de réunion, sélectionnez **Velarion** comme caméra."},
    {u"Hide windows from a screen share (Stealth Mode)", u"إخفاء النوافذ من مشاركة الشاشة (وضع التخفي)", u"在屏幕共享中隐藏窗口（隐身模式）", u"Ocultar ventanas al compartir pantalla (Modo sigilo)", u"Masquer des fenêtres d'un partage d'écran (mode furtif)"},
    {u"Keep chosen windows invisible to whoever you're sharing with.", u"اجعل النوافذ المختارة غير مرئية لمن تشاركه شاشتك.", u"让所选窗口对共享对象不可见。", u"Mantén las ventanas elegidas invisibles para quien vea lo que compartes.", u"Gardez les fenêtres choisies invisibles pour les personnes avec qui vous partagez votre écran."},
    {u"Open the Velarion panel from its icon in the system tray.", u"افتح لوحة Velarion من أيقونتها في علبة النظام.", u"从系统托盘中的图标打开 Velarion 面板。", u"Abre el panel de Velarion desde su icono en la bandeja del sistema.", u"Ouvrez le panneau de Velarion depuis son icône dans la zone de notification."},
    {u"Turn on **Stealth Mode** under **Window Protection**.", u"شغّل **وضع التخفي** ضمن **حماية النوافذ**.", u"打开**隐身模式**（位于**窗口保护**下）。", u"Activa el **Modo sigilo** en **Protección de ventanas**.", u"Activez le **mode furtif** sous **Protection des fenêtres**."},
    {u"Tick the windows you want hidden, then click **Apply**.", u"حدّد النوافذ التي تريد إخفاءها، ثم انقر **تطبيق**.", u"勾选要隐藏的窗口，然后点按**应用**。", u"Marca las ventanas que quieras ocultar y haz clic en **Aplicar**.", u"Cochez les fenêtres à masquer, puis cliquez sur **Appliquer**."},
    {u"Use the **Panic hotkey** to instantly hide or reveal everything.", u"استخدم **مفتاح الطوارئ** لإخفاء كل شيء أو إظهاره فورًا.", u"使用**紧急快捷键**即可立即隐藏或显示所有内容。", u"Usa el **atajo de pánico** para ocultar o mostrar todo al instante.", u"Utilisez le **raccourci d'urgence** pour tout masquer ou tout réafficher instantanément."},
    {u"Note: Velarion hides a chosen window together with the other windows of its app — keep sensitive windows in an app you don't need to show.", u"ملاحظة: يخفي Velarion النافذة المختارة مع نوافذ تطبيقها الأخرى — أبقِ النوافذ الحساسة في تطبيق لا تحتاج إلى عرضه.", u"注意：Velarion 会将所选窗口与其所属应用的其他窗口一起隐藏——请将敏感窗口放在无需展示的应用中。", u"Nota: Velarion oculta la ventana elegida junto con las demás ventanas de su app; mantén las ventanas sensibles en una app que no necesites mostrar.", u"Remarque : Velarion masque la fenêtre choisie avec les autres fenêtres de son app — gardez les fenêtres sensibles dans une app que vous n'avez pas besoin de montrer."},
    {u"Visit ", u"زيارة ", u"访问 ", u"Visitar ", u"Visiter ", true},
    {u"Docs, downloads and the latest version", u"المستندات والتنزيلات وأحدث إصدار", u"文档、下载和最新版本", u"Documentación, descargas y la última versión", u"Documentation, téléchargements et dernière version"},
    {u"Email Support", u"مراسلة الدعم", u"邮件联系支持", u"Escribir al soporte", u"Écrire au support"},
    {u"Questions, bug reports and ideas", u"الأسئلة والإبلاغ عن الأخطاء والأفكار", u"问题、错误报告和建议", u"Preguntas, errores e ideas", u"Questions, bugs et idées"},
    {u"Virtual Camera", u"الكاميرا الافتراضية", u"虚拟摄像头", u"Cámara virtual", u"Caméra virtuelle"},
    {u"Broadcasting your screen", u"جارٍ بث شاشتك", u"正在广播您的屏幕", u"Emitiendo tu pantalla", u"Diffusion de votre écran"},
    {u"Live", u"مباشر", u"直播中", u"En directo", u"En direct"},
    {u"Your screen is broadcasting to the **Velarion** camera.", u"يتم بث شاشتك إلى كاميرا **Velarion**.", u"您的屏幕正在广播到 **Velarion** 摄像头。", u"Tu pantalla se está emitiendo en la cámara **Velarion**.", u"Votre écran est diffusé vers la caméra **Velarion**."},
    {u"**Tick any window** below to hide it from the broadcast.", u"**حدّد أي نافذة** أدناه لإخفائها من البث.", u"**勾选下方任意窗口**，即可将其从广播中隐藏。", u"**Marca cualquier ventana** de abajo para ocultarla de la emisión.", u"**Cochez une fenêtre** ci-dessous pour la masquer de la diffusion."},
    {u"In Zoom, Meet or Teams, pick **Velarion** as your camera.", u"في Zoom أو Meet أو Teams، اختر **Velarion** ككاميرا.", u"在 Zoom、Meet 或 Teams 中，选择 **Velarion** 作为摄像头。", u"En Zoom, Meet o Teams, elige **Velarion** como cámara.", u"Dans Zoom, Meet ou Teams, choisissez **Velarion** comme caméra."},
    {u"Windows to hide", u"النوافذ المراد إخفاؤها", u"要隐藏的窗口", u"Ventanas que ocultar", u"Fenêtres à masquer"},
    {u"%d hidden", u"%d مخفية", u"已隐藏 %d 个", u"%d ocultas", u"%d masquées"},
    {u"Search windows", u"البحث في النوافذ", u"搜索窗口", u"Buscar ventanas", u"Rechercher des fenêtres"},
    {u"No windows open.", u"لا توجد نوافذ مفتوحة.", u"没有打开的窗口。", u"No hay ventanas abiertas.", u"Aucune fenêtre ouverte."},
    {u"No matches.", u"لا توجد نتائج مطابقة.", u"没有匹配项。", u"Sin coincidencias.", u"Aucun résultat."},
    {u"Stop broadcasting", u"إيقاف البث", u"停止广播", u"Dejar de emitir", u"Arrêter la diffusion"},
    {u"Not applied yet", u"لم يُطبَّق بعد", u"尚未应用", u"Aún no aplicado", u"Pas encore appliqué"},
    {u"Applied", u"تم التطبيق", u"已应用", u"Aplicado", u"Appliqué"},
    {u"Apply", u"تطبيق", u"应用", u"Aplicar", u"Appliquer"},
    {u"Finish camera setup first", u"أكمل إعداد الكاميرا أولًا", u"请先完成摄像头设置", u"Completa primero la configuración de la cámara", u"Terminez d'abord la configuration de la caméra"},
    {u"Screen Recording and the Camera Extension need to be enabled before you can broadcast.", u"يجب تفعيل تسجيل الشاشة وامتداد الكاميرا قبل أن تتمكن من البث.", u"需要先启用屏幕录制和摄像头扩展，才能进行广播。", u"Debes activar la grabación de pantalla y la extensión de cámara antes de poder emitir.", u"L'enregistrement de l'écran et l'extension de caméra doivent être activés avant de pouvoir diffuser."},
    {u"Open Camera Setup", u"فتح إعداد الكاميرا", u"打开摄像头设置", u"Abrir configuración de la cámara", u"Ouvrir la configuration de la caméra"},
    {u"Live — %d window(s) hidden", u"مباشر — عدد النوافذ المخفية: %d", u"直播中 — 已隐藏 %d 个窗口", u"En directo — %d ventana(s) oculta(s)", u"En direct — %d fenêtre(s) masquée(s)"},
    {u"Tick windows to hide, then choose **Velarion** as your camera in Zoom, Meet or Teams.", u"حدّد النوافذ المراد إخفاؤها، ثم اختر **Velarion** ككاميرا في Zoom أو Meet أو Teams.", u"勾选要隐藏的窗口，然后在 Zoom、Meet 或 Teams 中选择 **Velarion** 作为摄像头。", u"Marca las ventanas que quieras ocultar y elige **Velarion** como cámara en Zoom, Meet o Teams.", u"Cochez les fenêtres à masquer, puis choisissez **Velarion** comme caméra dans Zoom, Meet ou Teams."},
    {u"Open in its own window", u"فتح في نافذة مستقلة", u"在单独的窗口中打开", u"Abrir en su propia ventana", u"Ouvrir dans une fenêtre distincte"},
    {u"Hidden", u"مخفية", u"已隐藏", u"Oculta", u"Masquée"},
    {u"Update available", u"يتوفر تحديث", u"有可用更新", u"Actualización disponible", u"Mise à jour disponible"},
    {u"Velarion %@ is available. You have %@.", u"الإصدار %@ من Velarion متاح. لديك %@.", u"Velarion %@ 可用。您当前为 %@。", u"Velarion %@ está disponible. Tienes la %@.", u"Velarion %@ est disponible. Vous avez la %@."},
    {u"What's new", u"ما الجديد", u"新功能", u"Novedades", u"Nouveautés"},
    {u"This release includes improvements and bug fixes.", u"يتضمن هذا الإصدار تحسينات وإصلاحات للأخطاء.", u"此版本包含改进和错误修复。", u"Esta versión incluye mejoras y correcciones de errores.", u"Cette version apporte des améliorations et des corrections de bugs."},
    {u"Update & Relaunch", u"التحديث وإعادة التشغيل", u"更新并重新启动", u"Actualizar y reiniciar", u"Mettre à jour et relancer"},
    {u"Later", u"لاحقًا", u"稍后", u"Más tarde", u"Plus tard"},
    {u"Download manually", u"التنزيل يدويًا", u"手动下载", u"Descargar manualmente", u"Télécharger manuellement"},
    {u"Downloading… %d%%", u"جارٍ التنزيل… %d%%", u"正在下载… %d%%", u"Descargando… %d%%", u"Téléchargement… %d%%"},
    {u"Preparing update…", u"جارٍ تجهيز التحديث…", u"正在准备更新…", u"Preparando la actualización…", u"Préparation de la mise à jour…"},
    {u"Restarting…", u"جارٍ إعادة التشغيل…", u"正在重新启动…", u"Reiniciando…", u"Redémarrage…"},
    {u"Couldn't install the update automatically.", u"تعذّر تثبيت التحديث تلقائيًا.", u"无法自动安装更新。", u"No se pudo instalar la actualización automáticamente.", u"Impossible d'installer la mise à jour automatiquement."},
    {u"You're up to date", u"أنت تستخدم أحدث إصدار", u"已是最新版本", u"Estás al día", u"Vous êtes à jour"},
};
// clang-format on

QString text(const char16_t* source, const QString& suffix) {
    return QStringView(source).toString() + suffix;
}

}  // namespace

const QString& TranslationTable::Row::translation(AppLanguage language) const {
    switch (language) {
        case AppLanguage::arabic:
            return translations[0];
        case AppLanguage::chinese:
            return translations[1];
        case AppLanguage::spanish:
            return translations[2];
        case AppLanguage::french:
        case AppLanguage::english:
            break;
    }
    return translations[3];
}

const TranslationTable& TranslationTable::instance() {
    // A function-local static is initialised exactly once even when first used from several
    // threads at the same time.
    static const TranslationTable table;
    return table;
}

TranslationTable::TranslationTable() {
    constexpr auto kRowCount = static_cast<qsizetype>(std::size(kSourceRows));
    m_rows.reserve(kRowCount);
    m_indexByKey.reserve(kRowCount);
    const QString host = AppInfo::websiteHostName();
    for (const SourceRow& source : kSourceRows) {
        const QString suffix = source.appendsWebsiteHost ? host : QString();
        Row row{text(source.key, suffix),
                {text(source.arabic, suffix), text(source.chinese, suffix),
                 text(source.spanish, suffix), text(source.french, suffix)}};
        m_indexByKey.insert(row.key, static_cast<qsizetype>(m_rows.size()));
        m_rows.push_back(std::move(row));
    }
}

const QString* TranslationTable::find(const QString& key, AppLanguage language) const {
    if (language == AppLanguage::english) {
        return nullptr;
    }
    const auto it = m_indexByKey.constFind(key);
    if (it == m_indexByKey.cend()) {
        return nullptr;
    }
    return &m_rows[static_cast<size_t>(*it)].translation(language);
}
